#pragma once
// A module (shared library) of the host system loaded from a given file, and the folder of the
// module that holds an address. The kernel stand-in loads the driver's module this way; the
// platform's SharedLibrary adds the search of the suite's programs on top.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zo::host {

// The file name of the shared library NAME on this system: libNAME.so on Linux, NAME.dll on
// Windows.
std::string sharedLibraryFileName(std::string_view name);

// The folder of the loaded module (shared library or program file) that holds an address, as
// Windows tells it for a module handle. Empty when the system cannot tell.
std::filesystem::path folderOfModuleContaining(const void* address);

class LoadedModule {
  public:
    // None when the file does not load. The module's own dependencies are looked for beside it
    // first.
    static std::optional<LoadedModule> load(const std::filesystem::path& file);

    // The address of an exported function or object; null when the module lacks it.
    void* symbol(const char* name) const;

    // Leaves the module loaded for the rest of the process, as the system keeps a driver loaded
    // while it runs; the object no longer refers to it.
    void keepLoaded() { static_cast<void>(handle_.release()); }

  private:
    struct Unload {
        void operator()(void* handle) const;
    };
    explicit LoadedModule(void* handle) : handle_(handle) {}

    std::unique_ptr<void, Unload> handle_;
};

}  // namespace zo::host
