#pragma once
// CQuintelApp: the program's start-up. It makes sure the user's settings key exists, fixes the
// folder of the user manual, loads the language the user chose (English when its file is
// missing), and runs the main window until it is closed.

#include <QString>
#include <memory>
#include <optional>
#include <string>

#include "app/ui/language_module.h"

namespace zo::quintel {

struct ProgramOptions {
    // Instead of running the window: show it as it starts, save a picture of it there and end.
    std::optional<QString> screenshotPath;
};

class CQuintelApp {
  public:
    // Runs the program in the application object that exists; the exit code.
    int Run(const ProgramOptions& options);

    // The help command: opens the manual with the desktop's "open"; nothing is said on failure.
    void OpenManual() const;

    const std::string& ManualFolder() const { return manualFolder_; }

  private:
    void InitInstance();

    std::string manualFolder_;
    std::unique_ptr<LanguageModule> language_;
};

}  // namespace zo::quintel
