#pragma once
// Test support: a fresh folder below the system's temporary folder, this user's alone, removed
// with everything in it when the object goes out of scope.

#include <filesystem>
#include <random>
#include <string>

namespace zo::platform::testing {

class TemporaryFolder {
  public:
    // A name nobody else has: create_directory reports whether this call made the folder.
    TemporaryFolder() {
        std::random_device random;
        const std::filesystem::path base = std::filesystem::temp_directory_path();
        do {
            path_ = base / ("zo-test-" + std::to_string(random()));
        } while (!std::filesystem::create_directory(path_));
        std::filesystem::permissions(path_, std::filesystem::perms::owner_all);
    }
    ~TemporaryFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

}  // namespace zo::platform::testing
