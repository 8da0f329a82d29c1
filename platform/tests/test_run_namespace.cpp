// Compiled into every test program of the suite. Before main() it gives the program a fresh
// folder of its own for what would otherwise be shared by the whole machine: the named locks
// (ZO_LOCK_DIR), the registry hives (ZO_REGISTRY_DIR) and temporary files (TMPDIR, and
// TEST_TMPDIR for GoogleTest's TempDir()). Processes it starts inherit the folder. So two test
// runs on one machine never wait on each other's locks or see each other's files, and no test
// touches the user's own registry. The folder goes when the program ends.

#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

class TestRunNamespace {
  public:
    TestRunNamespace() {
        const char* temporary = ::getenv("TMPDIR");
        std::string pattern =
            std::string(temporary != nullptr && *temporary != '\0' ? temporary : "/tmp") +
            "/zo-test-run-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::perror("test run: cannot make its own folder");
            std::exit(1);
        }
        folder_ = pattern;
        const std::filesystem::path files = folder_ / "tmp";
        std::filesystem::create_directory(files);
        ::setenv("ZO_LOCK_DIR", (folder_ / "locks").c_str(), 1);
        ::setenv("ZO_REGISTRY_DIR", (folder_ / "registry").c_str(), 1);
        ::setenv("TMPDIR", files.c_str(), 1);
        ::setenv("TEST_TMPDIR", files.c_str(), 1);
    }

    // A forked child that ends through exit() leaves the folder to the program that made it.
    ~TestRunNamespace() {
        if (::getpid() == owner_) {
            std::error_code ignored;
            std::filesystem::remove_all(folder_, ignored);
        }
    }

    TestRunNamespace(const TestRunNamespace&) = delete;
    TestRunNamespace& operator=(const TestRunNamespace&) = delete;

  private:
    std::filesystem::path folder_;
    pid_t owner_ = ::getpid();
};

const TestRunNamespace testRunNamespace;

}  // namespace
