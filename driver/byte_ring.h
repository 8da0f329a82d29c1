#pragma once
// A ring buffer of bytes with one producer and one consumer, as a stream keeps its data and its
// packet records in. The producer alone moves WritePos, the consumer alone ReadPos; Count changes
// only under Lock. The producer may read Count without the lock to see whether a piece fits: the
// consumer only ever makes it smaller.

#include <span>

#include <kernel_api.h>

struct ByteRing {
    UCHAR* WritePos;  // where the producer writes next
    UCHAR* ReadPos;   // where the consumer reads next
    ULONG Capacity;   // bytes of Storage
    ULONG Count;      // bytes held
    KSPIN_LOCK Lock;  // guards Count
    UCHAR* Storage;
};

// A new, empty ring of `capacity` bytes from the pool (the record and its storage); null when
// either allocation fails, with nothing left allocated.
ByteRing* createByteRing(ULONG capacity);
void freeByteRing(ByteRing* ring);

// The bytes the producer may write now.
ULONG ringFreeSpace(ByteRing& ring);
// Writes all of `bytes`; the caller has made sure they fit.
void ringWrite(ByteRing& ring, std::span<const UCHAR> bytes);
// Reads up to destination.size() bytes and answers how many: none when more is asked than the
// ring can ever hold, or when it is empty.
ULONG ringRead(ByteRing& ring, std::span<UCHAR> destination);
