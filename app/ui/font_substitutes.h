#pragma once
// The program's dialogs and drawings name Windows fonts ("Courier" for the digit cells, "Courier
// New" for the diagram, "Tahoma" and "MS Sans Serif" for dialog texts). This maps each onto an
// installed equivalent: the system's fixed-pitch font for the Courier faces, its general font for
// the others. Call once after the application object exists, before the first window is built.

namespace zo::quintel {

void InstallFontSubstitutes();

}  // namespace zo::quintel
