#include "platform/registry/hive_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <array>
#include <cerrno>
#include <cstring>
#include <span>

#include "platform/file_descriptor.h"
#include "platform/registry/key_name.h"
#include "platform/registry/reg_text_parser.h"
#include "platform/registry/reg_text_writer.h"

namespace zo::platform::registry {
namespace {

Failure systemFailure(const std::filesystem::path& file, std::string_view action, int error) {
    const bool denied = error == EACCES || error == EPERM || error == EROFS;
    return {denied ? ERROR_ACCESS_DENIED : ERROR_CANTWRITE,
            "cannot " + std::string(action) + " " + file.string() + ": " + std::strerror(error)};
}

template <typename Call>
auto retryInterrupted(Call call) {
    decltype(call()) result;
    do {
        result = call();
    } while (result == -1 && errno == EINTR);
    return result;
}

bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const auto written =
            retryInterrupted([&] { return ::write(fd, text.data(), text.size()); });
        if (written <= 0) {
            return false;
        }
        text.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

Outcome<std::string> readText(const std::filesystem::path& file) {
    const FileDescriptor fd(
        retryInterrupted([&] { return ::open(file.c_str(), O_RDONLY | O_CLOEXEC); }));
    if (!fd.valid()) {
        if (errno == ENOENT) {
            return std::string{};
        }
        auto failure = systemFailure(file, "read", errno);
        failure.status =
            failure.status == ERROR_ACCESS_DENIED ? ERROR_ACCESS_DENIED : ERROR_CANTREAD;
        return failure;
    }
    std::string text;
    std::array<char, 65536> chunk{};
    while (text.size() <= kMaxRegTextSize) {
        const auto got =
            retryInterrupted([&] { return ::read(fd.get(), chunk.data(), chunk.size()); });
        if (got < 0) {
            return Failure{ERROR_CANTREAD,
                           "cannot read " + file.string() + ": " + std::strerror(errno)};
        }
        if (got == 0) {
            return text;
        }
        text.append(chunk.data(), static_cast<std::size_t>(got));
    }
    return Failure{ERROR_REGISTRY_CORRUPT, file.string() + ": the file is larger than 16 MiB"};
}

Outcome<KeyNode> buildHive(const RegDocument& document, const std::string& rootName) {
    KeyNode root;
    for (const auto& block : document.blocks) {
        if (!equalIgnoringCase(block.path.front(), rootName)) {
            return Failure{ERROR_REGISTRY_CORRUPT, "line " + std::to_string(block.line) + ": key " +
                                                       joinKeyPath(block.path) +
                                                       " does not belong to " + rootName};
        }
        applyKeyBlock(root, std::span(block.path).subspan(1), block);
    }
    return root;
}

}  // namespace

HiveFile::HiveFile(std::filesystem::path file, std::string rootName)
    : file_(std::move(file)), rootName_(std::move(rootName)) {}

Outcome<KeyNode> HiveFile::load() const {
    auto text = readText(file_);
    if (!text.ok()) {
        return text.failure();
    }
    if (text.value().empty()) {
        return KeyNode{};
    }
    auto document = parseRegText(text.value());
    auto hive = document.ok() ? buildHive(document.value(), rootName_) : document.failure();
    if (!hive.ok()) {
        return Failure{hive.failure().status, file_.string() + ": " + hive.failure().message};
    }
    return hive;
}

Failure HiveFile::update(const Change& change) const {
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    if (error) {
        return systemFailure(file_.parent_path(), "create", error.value());
    }
    const auto lockPath = std::filesystem::path(file_).concat(".lock");
    const FileDescriptor lock(retryInterrupted(
        [&] { return ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644); }));
    if (!lock.valid() || retryInterrupted([&] { return ::flock(lock.get(), LOCK_EX); }) != 0) {
        return systemFailure(lockPath, "lock", errno);
    }
    auto hive = load();
    if (!hive.ok()) {
        return hive.failure();
    }
    if (const auto status = change(hive.value()); status != ERROR_SUCCESS) {
        return {status, {}};
    }
    const std::string text = writeRegText(hive.value(), rootName_);
    if (text.size() > kMaxRegTextSize) {
        // Written, the hive could not be read again; it stays as it was instead.
        return {ERROR_REGISTRY_QUOTA_LIMIT,
                file_.string() + ": the change would make the file larger than 16 MiB"};
    }
    const auto aside = std::filesystem::path(file_).concat(".new");
    {
        const FileDescriptor out(retryInterrupted(
            [&] { return ::open(aside.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); }));
        if (!out.valid() || !writeAll(out.get(), text) || ::fsync(out.get()) != 0) {
            const int cause = errno;
            std::filesystem::remove(aside, error);
            return systemFailure(aside, "write", cause);
        }
    }
    if (::rename(aside.c_str(), file_.c_str()) != 0) {
        return systemFailure(file_, "replace", errno);
    }
    return {};
}

}  // namespace zo::platform::registry
