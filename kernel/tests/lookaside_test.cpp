// Released pool blocks, requests and the I/O manager's records are kept for reuse: what comes back
// must be as good as new (its own account, the fresh-memory pattern, a cleared request with the
// stack it is allocated with, a record of the size class asked for), and releasing something
// twice or foreign memory still stops the machine.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

#include "kernel/lookaside.h"
#include "kernel/machine.h"
#include "kernel/memory_lookaside.h"

namespace zo::kernel {
namespace {

constexpr ULONG kFirstTag = PoolTag("Frst");
constexpr ULONG kSecondTag = PoolTag("Scnd");

bool freshPattern(const void* block, std::size_t size) {
    const std::span bytes(static_cast<const std::uint8_t*>(block), size);
    return std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t byte) { return byte == 0xCD; });
}

class LookasideTest : public ::testing::Test {
  protected:
    Machine machine_{MachineOptions{nullptr, BusCompletion::Immediate, 0x600, {}, nullptr}};
};

TEST_F(LookasideTest, AReleasedBlockComesBackWithItsNewAccountAndTheFreshPattern) {
    Pool& pool = machine_.pool();
    for (const std::size_t size : {std::size_t{40}, std::size_t{4000}}) {
        void* first = ExAllocatePoolWithTag(NonPagedPool, size, kFirstTag);
        std::memset(first, 0, size);
        ExFreePool(first);
        void* second = ExAllocatePoolWithTag(NonPagedPool, size + 8, kSecondTag);
        ASSERT_NE(second, nullptr);
        EXPECT_TRUE(freshPattern(second, size + 8)) << size;
        EXPECT_EQ(pool.outstanding(kFirstTag), 0u);
        EXPECT_EQ(pool.outstanding(kSecondTag), 1u);
        ExFreePool(second);
    }
    EXPECT_EQ(pool.outstanding(), 0u);
}

TEST_F(LookasideTest, AnInjectedFailureHitsAKeptBlockOrRequestToo) {
    ExFreePool(ExAllocatePoolWithTag(NonPagedPool, 32, kFirstTag));
    machine_.pool().failAllocation(1);
    EXPECT_EQ(ExAllocatePoolWithTag(NonPagedPool, 32, kFirstTag), nullptr);
    EXPECT_EQ(machine_.pool().outstanding(), 0u);
    IoFreeIrp(IoAllocateIrp(1, FALSE));
    machine_.pool().failAllocation(1);
    EXPECT_EQ(IoAllocateIrp(1, FALSE), nullptr);
    EXPECT_EQ(machine_.outstandingIrps(), 0u);
}

TEST_F(LookasideTest, AReusedRequestIsClearedWithTheStackItIsAllocatedWith) {
    IRP* irp = IoAllocateIrp(2, FALSE);
    IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_DEVICE_CONTROL;
    IoGetNextIrpStackLocation(irp)->Context = irp;
    irp->IoStatus = {STATUS_UNSUCCESSFUL, 7};
    irp->PendingReturned = TRUE;
    IoFreeIrp(irp);

    IRP* again = IoAllocateIrp(4, FALSE);
    EXPECT_EQ(again->StackCount, 4);
    EXPECT_EQ(again->CurrentLocation, 5);
    EXPECT_EQ(again->IoStatus.Status, STATUS_SUCCESS);
    EXPECT_EQ(again->IoStatus.Information, 0u);
    EXPECT_FALSE(again->PendingReturned);
    for (int location = 4; location >= 1; --location) {
        IO_STACK_LOCATION* next = IoGetNextIrpStackLocation(again);
        EXPECT_EQ(next->MajorFunction, 0) << location;
        EXPECT_EQ(next->Context, nullptr) << location;
        --again->CurrentLocation;
    }
    EXPECT_EQ(machine_.outstandingIrps(), 1u);
    IoFreeIrp(again);
    EXPECT_EQ(machine_.outstandingIrps(), 0u);
}

TEST(MemoryLookaside, AKeptRecordServesTheNextOfItsSizeClassOnly) {
    MemoryLookaside records;
    const RecordAllocator<std::uint64_t> allocator(records);
    auto first = std::allocate_shared<std::uint64_t>(allocator, 1);
    const void* firstMemory = first.get();
    first.reset();
    // A record of another size class neither gets the kept block nor displaces it.
    auto other = std::allocate_shared<std::array<std::uint64_t, 8>>(
        RecordAllocator<std::array<std::uint64_t, 8>>(records));
    EXPECT_NE(static_cast<const void*>(other.get()), firstMemory);
    other.reset();
    auto second = std::allocate_shared<std::uint64_t>(allocator, 2);
    EXPECT_EQ(*second, 2u);
    EXPECT_EQ(second.get() == firstMemory, kLookasideDepth > 0);
}

using LookasideDeathTest = LookasideTest;

TEST_F(LookasideDeathTest, ReleasingTwiceOrWhatWasNeverAllocatedStopsTheMachine) {
    EXPECT_DEATH(
        {
            void* block = ExAllocatePoolWithTag(NonPagedPool, 16, kFirstTag);
            ExFreePool(block);
            ExFreePool(block);
        },
        "not allocated from the pool");
    EXPECT_DEATH(
        {
            IRP* irp = IoAllocateIrp(1, FALSE);
            IoFreeIrp(irp);
            IoFreeIrp(irp);
        },
        "IoFreeIrp of a request that is not allocated");
}

TEST_F(LookasideDeathTest, AReusedRequestKeepsTheStackSizeItIsAllocatedWith) {
    IoFreeIrp(IoAllocateIrp(4, FALSE));
    EXPECT_DEATH(
        {
            IRP* irp = IoAllocateIrp(2, FALSE);
            IoInitializeIrp(irp, IoSizeOfIrp(3), 3);
        },
        "IoInitializeIrp with a size the request was not allocated with");
}

}  // namespace
}  // namespace zo::kernel
