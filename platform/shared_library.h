#pragma once
// A shared library loaded at run time, as Windows loads a DLL by name. A plain file name (no
// folder in it) is looked for where Windows looks first: in the folder of the running program,
// then in the system folder (platform/system_folder.h); nowhere else, so what a program finds does
// not depend on the environment of the shell that started it. A name with a folder is loaded from
// there only. The library is freed when the object goes.

#include <optional>
#include <string>

#include "host/loaded_module.h"

namespace zo::platform {

// libNAME.so on Linux, NAME.dll on Windows.
using host::sharedLibraryFileName;

class SharedLibrary {
  public:
    // None when no file of that name is found or it does not load.
    static std::optional<SharedLibrary> load(const std::string& fileName);

    // The address of an exported function or object; null when the library lacks it.
    void* symbol(const char* name) const { return module_.symbol(name); }

    // Leaves the library loaded for the rest of the process; the object no longer refers to it.
    void keepLoaded() { module_.keepLoaded(); }

  private:
    explicit SharedLibrary(host::LoadedModule module) : module_(std::move(module)) {}

    host::LoadedModule module_;
};

}  // namespace zo::platform
