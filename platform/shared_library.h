#pragma once
// A shared library loaded at run time, as Windows loads a DLL by name. A plain file name (no
// folder in it) is looked for where Windows looks first: in the folder of the running program,
// then in the system folder (platform/system_folder.h); nowhere else, so what a program finds does
// not depend on the environment of the shell that started it. A name with a folder is loaded from
// there only. The library is freed when the object goes.

#include <memory>
#include <optional>
#include <string>

namespace zo::platform {

class SharedLibrary {
  public:
    // None when no file of that name is found or it does not load.
    static std::optional<SharedLibrary> load(const std::string& fileName);

    // The address of an exported function or object; null when the library lacks it.
    void* symbol(const char* name) const;

  private:
    struct Unload {
        void operator()(void* handle) const;
    };
    explicit SharedLibrary(void* handle) : handle_(handle) {}

    std::unique_ptr<void, Unload> handle_;
};

}  // namespace zo::platform
