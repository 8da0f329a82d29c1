// Compiled into every test program of the Windows build. Before main() it gives the program a
// namespace of its own for what would otherwise be shared by every program of the session: the
// named locks (ZO_LOCK_NAMESPACE) and temporary files (TMP and TEMP, which the system's temporary
// folder follows, and TEST_TMPDIR for GoogleTest's TempDir()). Programs it starts inherit both. So
// test programs that run side by side never wait on each other's locks or see each other's files.
// The folder goes when the program ends. (The registry is the system's: the Wine prefix of the test
// run keeps it apart from other runs, and each test keeps to keys of its own.)

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>

#include "platform/win32/lock_namespace.h"

namespace {

class TestRunNamespace {
  public:
    TestRunNamespace() {
        const std::string run = "ZoTestRun" + std::to_string(::GetCurrentProcessId()) + "_" +
                                std::to_string(std::random_device()());
        std::error_code error;
        folder_ = std::filesystem::temp_directory_path(error) / run;
        if (error || !std::filesystem::create_directory(folder_, error)) {
            std::fprintf(stderr, "test run: cannot make its own folder %s\n",
                         folder_.string().c_str());
            std::exit(1);
        }
        const std::string files = folder_.string();
        ::_putenv_s(zo::platform::win32::kLockNamespaceVariable, run.c_str());
        ::_putenv_s("TMP", files.c_str());
        ::_putenv_s("TEMP", files.c_str());
        ::_putenv_s("TEST_TMPDIR", files.c_str());
    }

    ~TestRunNamespace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    TestRunNamespace(const TestRunNamespace&) = delete;
    TestRunNamespace& operator=(const TestRunNamespace&) = delete;

  private:
    std::filesystem::path folder_;
};

const TestRunNamespace testRunNamespace;

}  // namespace
