#pragma once
// One hive kept as a .reg text file. Readers take the file as it is; writers hold an exclusive
// flock on a lock file beside it while they read the newest content, change it and replace the
// file by writing a new one aside and renaming it over the old. So a reader always sees a whole
// hive, and two processes changing one hive at the same time both keep their changes. The lock is
// held only for one read-change-write of a small file, so waiting for it needs no time-out.

#include <filesystem>
#include <functional>
#include <string>

#include "platform/registry/key_node.h"
#include "platform/registry/outcome.h"

namespace zo::platform::registry {

class HiveFile {
  public:
    // `rootName` is the name every key of the file begins with, e.g. HKEY_LOCAL_MACHINE.
    HiveFile(std::filesystem::path file, std::string rootName);

    const std::filesystem::path& path() const { return file_; }
    const std::string& rootName() const { return rootName_; }

    // The hive's root key; a file that does not exist yet is an empty hive. A damaged file gives
    // ERROR_REGISTRY_CORRUPT with the file, line and fault in the message.
    Outcome<KeyNode> load() const;

    // Applies `change` to the newest content and stores the result, unless `change` returns a
    // status other than ERROR_SUCCESS, which is then passed on and leaves the file as it was.
    using Change = std::function<LSTATUS(KeyNode& root)>;
    Failure update(const Change& change) const;

  private:
    std::filesystem::path file_;
    std::string rootName_;
};

}  // namespace zo::platform::registry
