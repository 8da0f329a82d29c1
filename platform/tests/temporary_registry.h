#pragma once
// Test support: an empty registry of its own (both hive files in a temporary folder, through
// ZO_REGISTRY_DIR) for as long as the object lives.

#include <fstream>
#include <sstream>
#include <string>

#include "platform/registry/hive_locations.h"
#include "platform/tests/scoped_environment_variable.h"
#include "platform/tests/temporary_folder.h"

namespace zo::platform::testing {

class TemporaryRegistry {
  public:
    TemporaryRegistry() : variable_(registry::kRegistryFolderVariable, folder_.path().string()) {}

    const std::filesystem::path& folder() const { return folder_.path(); }
    std::filesystem::path machineHive() const { return folder_.path() / "machine.reg"; }
    std::filesystem::path userHive() const { return folder_.path() / "user.reg"; }

    static std::string contentOf(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        std::ostringstream content;
        content << in.rdbuf();
        return content.str();
    }
    static void write(const std::filesystem::path& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
    }

  private:
    TemporaryFolder folder_;
    ScopedEnvironmentVariable variable_;
};

}  // namespace zo::platform::testing
