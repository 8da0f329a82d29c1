#include "host/positioned_file.h"

#include <windows.h>

#include <algorithm>

#include "host/win32/wide_text.h"

namespace zo::host {

namespace {

HANDLE handleOf(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

std::error_code lastError() {
    return std::error_code(static_cast<int>(::GetLastError()), std::system_category());
}

}  // namespace

std::optional<PositionedFile> PositionedFile::create(const std::string& path,
                                                     std::error_code& error) {
    HANDLE file = ::CreateFileW(win32::widened(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                                nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        error = lastError();
        return std::nullopt;
    }
    return PositionedFile(reinterpret_cast<std::intptr_t>(file));
}

void PositionedFile::close() {
    if (handle_ != kNoFile) {
        ::CloseHandle(handleOf(handle_));
        handle_ = kNoFile;
    }
}

std::error_code PositionedFile::writeAt(std::span<const std::uint8_t> bytes, std::int64_t offset) {
    while (!bytes.empty()) {
        OVERLAPPED at{};
        at.Offset = static_cast<DWORD>(offset);
        at.OffsetHigh = static_cast<DWORD>(offset >> 32);
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(handleOf(handle_), bytes.data(), chunk, &written, &at)) {
            return lastError();
        }
        if (written == 0) {
            return std::make_error_code(std::errc::io_error);
        }
        bytes = bytes.subspan(written);
        offset += written;
    }
    return {};
}

bool PositionedFile::truncate(std::int64_t size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    return ::SetFileInformationByHandle(handleOf(handle_), FileEndOfFileInfo, &end, sizeof end);
}

}  // namespace zo::host
