// Completing a request: a driver that completes a request twice, or breaks the rules of pending
// requests, stops the machine with the bug check Windows stops with.

#include <gtest/gtest.h>

#include <string>

#include "kernel/bugcheck.h"
#include "kernel/irp.h"
#include "kernel/machine.h"
#include "kernel/objects.h"

namespace zo::kernel::test {
namespace {

// How the lower driver of the test stack answers, and what the upper one does on the way back.
enum class Answer {
    CompleteOnce,
    CompleteTwice,
    PendingUnmarked,
    MarkedButAnswered,
    HeldButAnswered,
    HoldPending
};
enum class Upper { PassDown, CopyWithoutRoutine, RoutinePropagating, RoutineForgetting };

Answer answer = Answer::CompleteOnce;
Upper upperWay = Upper::PassDown;
IRP* held = nullptr;
DEVICE_OBJECT* lowerDevice = nullptr;

NTSTATUS lowerDispatch(DEVICE_OBJECT*, IRP* irp) {
    irp->IoStatus.Status = STATUS_SUCCESS;
    switch (answer) {
        case Answer::CompleteOnce:
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            return STATUS_SUCCESS;
        case Answer::CompleteTwice:
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            return STATUS_SUCCESS;
        case Answer::PendingUnmarked:
            held = irp;
            return STATUS_PENDING;
        case Answer::MarkedButAnswered:
            IoMarkIrpPending(irp);
            IoCompleteRequest(irp, IO_NO_INCREMENT);
            return STATUS_SUCCESS;
        case Answer::HeldButAnswered:
            held = irp;
            return STATUS_SUCCESS;
        case Answer::HoldPending:
            IoMarkIrpPending(irp);
            held = irp;
            return STATUS_PENDING;
    }
    return STATUS_UNSUCCESSFUL;
}

NTSTATUS propagate(DEVICE_OBJECT*, IRP* irp, PVOID) {
    if (irp->PendingReturned) {
        IoMarkIrpPending(irp);
    }
    return STATUS_SUCCESS;
}

NTSTATUS forget(DEVICE_OBJECT*, IRP*, PVOID) {
    return STATUS_SUCCESS;
}

NTSTATUS upperDispatch(DEVICE_OBJECT*, IRP* irp) {
    switch (upperWay) {
        case Upper::PassDown:
            IoSkipCurrentIrpStackLocation(irp);
            break;
        case Upper::CopyWithoutRoutine:
            IoCopyCurrentIrpStackLocationToNext(irp);
            break;
        case Upper::RoutinePropagating:
        case Upper::RoutineForgetting:
            IoCopyCurrentIrpStackLocationToNext(irp);
            IoSetCompletionRoutine(irp, upperWay == Upper::RoutinePropagating ? propagate : forget,
                                   nullptr, TRUE, TRUE, TRUE);
            break;
    }
    return IoCallDriver(lowerDevice, irp);
}

NTSTATUS lowerEntry(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = lowerDispatch;
    return STATUS_SUCCESS;
}

NTSTATUS upperEntry(DRIVER_OBJECT* driver, UNICODE_STRING*) {
    driver->MajorFunction[IRP_MJ_DEVICE_CONTROL] = upperDispatch;
    return STATUS_SUCCESS;
}

// A stack of two devices, the upper one attached above the lower one.
class RequestCompletion : public ::testing::Test {
  protected:
    RequestCompletion() {
        answer = Answer::CompleteOnce;
        upperWay = Upper::PassDown;
        DRIVER_OBJECT* lower = machine_.createDriver("\\Driver\\lower", lowerEntry);
        DRIVER_OBJECT* upper = machine_.createDriver("\\Driver\\upper", upperEntry);
        IoCreateDevice(lower, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &lowerDevice);
        IoCreateDevice(upper, 0, nullptr, FILE_DEVICE_UNKNOWN, 0, FALSE, &upper_);
        IoAttachDeviceToDeviceStack(upper_, lowerDevice);
    }
    ~RequestCompletion() override {
        IoDetachDevice(lowerDevice);
        IoDeleteDevice(upper_);
        IoDeleteDevice(lowerDevice);
    }

    // Sends a device-control request to `device`; a request the lower driver held is completed
    // afterwards, as a driver completes it later from another routine.
    NTSTATUS send(DEVICE_OBJECT* device) {
        held = nullptr;
        IRP* irp = IoAllocateIrp(device->StackSize, FALSE);
        IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_DEVICE_CONTROL;
        const NTSTATUS status = IoCallDriver(device, irp);
        if (held != nullptr) {
            IoCompleteRequest(held, IO_NO_INCREMENT);
        }
        pendingReturned_ = irp->PendingReturned != FALSE;
        IoFreeIrp(irp);
        return status;
    }

    Machine machine_{MachineOptions{nullptr, BusCompletion::Immediate, 0x600, {}, nullptr}};
    DEVICE_OBJECT* upper_ = nullptr;
    bool pendingReturned_ = false;
};

using RequestCompletionDeathTest = RequestCompletion;

TEST_F(RequestCompletion, RequestsAnsweredByTheRulesAreAnswered) {
    EXPECT_EQ(send(lowerDevice), STATUS_SUCCESS);
    EXPECT_FALSE(pendingReturned_);

    answer = Answer::HoldPending;
    EXPECT_EQ(send(lowerDevice), STATUS_PENDING);
    EXPECT_TRUE(pendingReturned_);
}

TEST_F(RequestCompletion, ThePendingMarkTravelsUpPastDriversWithoutACompletionRoutine) {
    answer = Answer::HoldPending;
    for (const Upper way : {Upper::PassDown, Upper::CopyWithoutRoutine}) {
        upperWay = way;
        EXPECT_EQ(send(upper_), STATUS_PENDING);
        EXPECT_TRUE(pendingReturned_);
    }
}

TEST_F(RequestCompletion, ACompletionRoutineThatCarriesThePendingMarkUpIsAccepted) {
    answer = Answer::HoldPending;
    upperWay = Upper::RoutinePropagating;
    EXPECT_EQ(send(upper_), STATUS_PENDING);
    EXPECT_TRUE(pendingReturned_);

    // A request answered at once has no mark to carry; the routine forgetting it is harmless.
    answer = Answer::CompleteOnce;
    upperWay = Upper::RoutineForgetting;
    EXPECT_EQ(send(upper_), STATUS_SUCCESS);
}

TEST_F(RequestCompletion, ARequestFreedWhileHeldLeavesNoCallBehindForItsNextUse) {
    // A request freed while the lower driver still held it pending is never judged; its next
    // use, from the kept requests, must not judge the old call against the new answer.
    answer = Answer::HoldPending;
    IRP* irp = IoAllocateIrp(lowerDevice->StackSize, FALSE);
    IoGetNextIrpStackLocation(irp)->MajorFunction = IRP_MJ_DEVICE_CONTROL;
    EXPECT_EQ(IoCallDriver(lowerDevice, irp), STATUS_PENDING);
    IoFreeIrp(irp);

    answer = Answer::CompleteOnce;
    EXPECT_EQ(send(lowerDevice), STATUS_SUCCESS);
    EXPECT_FALSE(pendingReturned_);
}

TEST_F(RequestCompletionDeathTest, ARequestCompletedTwiceStopsTheMachine) {
    answer = Answer::CompleteTwice;
    EXPECT_DEATH(send(lowerDevice), "MULTIPLE_IRP_COMPLETE_REQUESTS \\(0x44\\)");
}

// Each broken rule of pending requests, and the I/O error code the machine stops with.
struct BrokenRule {
    const char* name;
    Answer answer;
    bool throughUpper;
    Upper upper;
    const char* code;
};

TEST_F(RequestCompletionDeathTest, EachBrokenPendingRuleStopsTheMachineWithItsCode) {
    const BrokenRule rules[] = {
        {"STATUS_PENDING returned without the mark", Answer::PendingUnmarked, false,
         Upper::PassDown, "0x23D"},
        {"the mark with another status", Answer::MarkedButAnswered, false, Upper::PassDown,
         "0x23E"},
        {"an answer for a request still held", Answer::HeldButAnswered, false, Upper::PassDown,
         "0x226"},
        {"a completion routine dropping the mark", Answer::HoldPending, true,
         Upper::RoutineForgetting, "0x228"},
    };
    for (const BrokenRule& rule : rules) {
        SCOPED_TRACE(rule.name);
        answer = rule.answer;
        upperWay = rule.upper;
        const std::string stop =
            std::string("DRIVER_VERIFIER_IOMANAGER_VIOLATION \\(0xC9\\) \\[") + rule.code + ",";
        EXPECT_DEATH(send(rule.throughUpper ? upper_ : lowerDevice), stop);
    }
}

}  // namespace
}  // namespace zo::kernel::test
