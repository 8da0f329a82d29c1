#include "driver/byte_ring.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "driver/driver_internal.h"

namespace {

// Count is written under the lock and read without it by the producer's free-space test.
std::atomic_ref<ULONG> countOf(ByteRing& ring) {
    return std::atomic_ref<ULONG>(ring.Count);
}

void changeCount(ByteRing& ring, ULONG bytes, bool add) {
    KIRQL irql;
    KeAcquireSpinLock(&ring.Lock, &irql);
    if (add) {
        countOf(ring).fetch_add(bytes);
    } else {
        countOf(ring).fetch_sub(bytes);
    }
    KeReleaseSpinLock(&ring.Lock, irql);
}

// Copies between the ring at `position` and `outside`, wrapping at the end of Storage, and
// answers the position behind the copied bytes.
template <typename Copy>
UCHAR* copyAround(ByteRing& ring, UCHAR* position, std::size_t length, Copy copy) {
    UCHAR* const end = ring.Storage + ring.Capacity;
    const auto first = std::min<std::size_t>(length, static_cast<std::size_t>(end - position));
    copy(position, 0, first);
    if (first == length) {
        position += first;
        return position == end ? ring.Storage : position;
    }
    copy(ring.Storage, first, length - first);
    return ring.Storage + (length - first);
}

}  // namespace

ByteRing* createByteRing(ULONG capacity) {
    auto* ring = static_cast<ByteRing*>(allocateZeroed(sizeof(ByteRing)));
    if (ring == nullptr) {
        return nullptr;
    }
    ring->Storage = static_cast<UCHAR*>(allocateZeroed(capacity));
    if (ring->Storage == nullptr) {
        ExFreePool(ring);
        return nullptr;
    }
    ring->Capacity = capacity;
    ring->WritePos = ring->Storage;
    ring->ReadPos = ring->Storage;
    KeInitializeSpinLock(&ring->Lock);
    return ring;
}

void freeByteRing(ByteRing* ring) {
    if (ring != nullptr) {
        ExFreePool(ring->Storage);
        ExFreePool(ring);
    }
}

ULONG ringFreeSpace(ByteRing& ring) {
    return ring.Capacity - countOf(ring).load();
}

void ringWrite(ByteRing& ring, std::span<const UCHAR> bytes) {
    ring.WritePos = copyAround(ring, ring.WritePos, bytes.size(),
                               [&](UCHAR* at, std::size_t from, std::size_t length) {
                                   std::memcpy(at, bytes.data() + from, length);
                               });
    changeCount(ring, static_cast<ULONG>(bytes.size()), true);
}

ULONG ringRead(ByteRing& ring, std::span<UCHAR> destination) {
    const ULONG held = countOf(ring).load();
    if (destination.size() > ring.Capacity || held == 0) {
        return 0;
    }
    const auto length = static_cast<ULONG>(std::min<std::size_t>(destination.size(), held));
    ring.ReadPos =
        copyAround(ring, ring.ReadPos, length, [&](UCHAR* at, std::size_t to, std::size_t part) {
            std::memcpy(destination.data() + to, at, part);
        });
    changeCount(ring, length, false);
    return length;
}
