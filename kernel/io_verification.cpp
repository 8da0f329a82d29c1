#include "kernel/io_verification.h"

#include "kernel/bugcheck.h"

namespace zo::kernel {

namespace {

template <typename Function>
ULONG_PTR addressOf(Function function) {
    return reinterpret_cast<ULONG_PTR>(function);
}

}  // namespace

void DispatchCheck::returned(NTSTATUS status) {
    std::lock_guard lock(mutex_);
    returned_ = status;
    if (!markedPending_) {
        // The request has not come back past this stack location yet: the routine holds it or
        // passed it down, and only STATUS_PENDING says so.
        if (status != STATUS_PENDING) {
            violation(kReturnedWithoutCompleting,
                      "a dispatch routine returned without completing the request, passing it "
                      "down or returning STATUS_PENDING");
        }
        return;
    }
    if (status == STATUS_PENDING && !*markedPending_) {
        violation(kPendingNotMarked,
                  "a dispatch routine returned STATUS_PENDING without marking the request "
                  "pending (IoMarkIrpPending)");
    }
    if (status != STATUS_PENDING && *markedPending_) {
        violation(kMarkedButNotPending,
                  "a dispatch routine marked the request pending but did not return "
                  "STATUS_PENDING");
    }
}

void DispatchCheck::completed(bool markedPending) {
    std::lock_guard lock(mutex_);
    markedPending_ = markedPending;
    if (!returned_) {
        return;
    }
    if (*returned_ == STATUS_PENDING && !markedPending) {
        violation(kPendingNotMarked,
                  "a dispatch routine returned STATUS_PENDING and the request was completed "
                  "without its stack location marked pending (IoMarkIrpPending)");
    }
}

void DispatchCheck::violation(ULONG code, const char* what) const {
    bugCheck(DRIVER_VERIFIER_IOMANAGER_VIOLATION,
             {code, addressOf(routine_), reinterpret_cast<ULONG_PTR>(irp_),
              reinterpret_cast<ULONG_PTR>(device_)},
             what);
}

void checkCompletionRoutine(IRP* irp, PIO_COMPLETION_ROUTINE routine, DEVICE_OBJECT* upper) {
    if (upper == nullptr || !irp->PendingReturned ||
        (IoGetCurrentIrpStackLocation(irp)->Control & SL_PENDING_RETURNED) != 0) {
        return;
    }
    bugCheck(DRIVER_VERIFIER_IOMANAGER_VIOLATION,
             {kCompletionRoutineDidNotMarkPending, addressOf(routine),
              reinterpret_cast<ULONG_PTR>(irp), reinterpret_cast<ULONG_PTR>(upper)},
             "a completion routine returned for a request returned pending (PendingReturned) "
             "without marking it pending (IoMarkIrpPending)");
}

}  // namespace zo::kernel
