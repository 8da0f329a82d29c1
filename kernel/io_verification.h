#pragma once
// The I/O manager's checks of the pending rules, as Windows makes them with I/O verification:
// a dispatch routine that returns STATUS_PENDING has marked its stack location pending (or the
// driver it passed the request to did, and completion carried the mark up), one that marked it
// returns STATUS_PENDING, and one that returns any other status has completed the request or
// passed it down to a driver that completed it. A break stops the machine with
// DRIVER_VERIFIER_IOMANAGER_VIOLATION and the I/O error code of the rule.

#include <mutex>
#include <optional>

#include "kernel/irp.h"

namespace zo::kernel {

// I/O error codes of DRIVER_VERIFIER_IOMANAGER_VIOLATION (its first parameter).
inline constexpr ULONG kReturnedWithoutCompleting = 0x226;
inline constexpr ULONG kCompletionRoutineDidNotMarkPending = 0x228;
inline constexpr ULONG kPendingNotMarked = 0x23D;
inline constexpr ULONG kMarkedButNotPending = 0x23E;
inline constexpr ULONG kDeviceInitializingAfterAddDevice = 0x243;

// One call of a dispatch routine with a request. IoCallDriver makes it before the call and
// reports the status returned; IoCompleteRequest reports when completion passes the stack
// location, with its pending mark. Whichever comes second judges; the two may run on different
// threads, and the request may be gone by the time the routine returns.
class DispatchCheck {
  public:
    DispatchCheck(IRP* irp, DEVICE_OBJECT* device, PDRIVER_DISPATCH routine)
        : irp_(irp), device_(device), routine_(routine) {}

    void returned(NTSTATUS status);
    void completed(bool markedPending);

  private:
    [[noreturn]] void violation(ULONG code, const char* what) const;

    IRP* irp_;
    DEVICE_OBJECT* device_;
    PDRIVER_DISPATCH routine_;
    std::mutex mutex_;
    std::optional<NTSTATUS> returned_;
    std::optional<bool> markedPending_;
};

// A completion routine returned something other than STATUS_MORE_PROCESSING_REQUIRED for a
// request a lower driver returned pending, without marking its own stack location pending: the
// dispatch routine above it returns the lower driver's STATUS_PENDING, and the I/O manager would
// take the request for completed at once.
void checkCompletionRoutine(IRP* irp, PIO_COMPLETION_ROUTINE routine, DEVICE_OBJECT* upper);

}  // namespace zo::kernel
