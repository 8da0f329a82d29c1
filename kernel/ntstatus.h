#pragma once
// Status values of the kernel stand-in, with the numbers and names the Windows kernel uses.

#include <cstdint>

using NTSTATUS = std::int32_t;

constexpr bool NT_SUCCESS(NTSTATUS status) {
    return status >= 0;
}

constexpr NTSTATUS ntStatus(std::uint32_t bits) {
    return static_cast<NTSTATUS>(bits);
}

inline constexpr NTSTATUS STATUS_SUCCESS = 0;
inline constexpr NTSTATUS STATUS_PENDING = 0x00000103;
inline constexpr NTSTATUS STATUS_MORE_PROCESSING_REQUIRED = ntStatus(0xC0000016);
inline constexpr NTSTATUS STATUS_UNSUCCESSFUL = ntStatus(0xC0000001);
inline constexpr NTSTATUS STATUS_NOT_IMPLEMENTED = ntStatus(0xC0000002);
inline constexpr NTSTATUS STATUS_INVALID_DEVICE_REQUEST = ntStatus(0xC0000010);
inline constexpr NTSTATUS STATUS_INVALID_PARAMETER = ntStatus(0xC000000D);
inline constexpr NTSTATUS STATUS_NO_SUCH_DEVICE = ntStatus(0xC000000E);
inline constexpr NTSTATUS STATUS_NO_MEMORY = ntStatus(0xC0000017);
inline constexpr NTSTATUS STATUS_BUFFER_TOO_SMALL = ntStatus(0xC0000023);
inline constexpr NTSTATUS STATUS_OBJECT_NAME_INVALID = ntStatus(0xC0000033);
inline constexpr NTSTATUS STATUS_OBJECT_NAME_NOT_FOUND = ntStatus(0xC0000034);
inline constexpr NTSTATUS STATUS_OBJECT_NAME_COLLISION = ntStatus(0xC0000035);
inline constexpr NTSTATUS STATUS_DELETE_PENDING = ntStatus(0xC0000056);
inline constexpr NTSTATUS STATUS_INSUFFICIENT_RESOURCES = ntStatus(0xC000009A);
inline constexpr NTSTATUS STATUS_DEVICE_NOT_CONNECTED = ntStatus(0xC000009D);
inline constexpr NTSTATUS STATUS_NOT_SUPPORTED = ntStatus(0xC00000BB);
inline constexpr NTSTATUS STATUS_CANCELLED = ntStatus(0xC0000120);
inline constexpr NTSTATUS STATUS_INVALID_HANDLE = ntStatus(0xC0000008);
inline constexpr NTSTATUS STATUS_DEVICE_BUSY = ntStatus(0x80000011);
inline constexpr NTSTATUS STATUS_ACCESS_DENIED = ntStatus(0xC0000022);
inline constexpr NTSTATUS STATUS_REVISION_MISMATCH = ntStatus(0xC0000059);
inline constexpr NTSTATUS STATUS_INVALID_DEVICE_STATE = ntStatus(0xC0000184);

namespace zo::kernel {
// The name of a status for messages ("STATUS_DELETE_PENDING"), or its hexadecimal value.
const char* statusName(NTSTATUS status);
}  // namespace zo::kernel
