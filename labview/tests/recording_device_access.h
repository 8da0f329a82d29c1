#pragma once
// A stand-in for QuintelDrv inside the test program: the program exports the QuintelDrv functions
// QuintelLV imports, so the dynamic linker binds QuintelLV's calls to them instead of the real
// library's. Each call is counted and answers what the test set. The state is constant-initialised
// because QuintelLV's attach calls QnLoadDriver before the program's own initialisers run.

#include <array>
#include <cstddef>
#include <cstdint>

#include "include/QuintelDrv.h"

namespace zo::test {

enum class QnCall : std::size_t {
    LoadDriver,
    UnloadDriver,
    EnumDevices,
    OpenDevice,
    CloseDevice,
    GetDeviceInfo,
    ReadDeviceSettings,
    RefreshDeviceSettings,
    GetParameterAttribute,
    GetParameter,
    SetParameter,
    OpenOutputs,
    CloseOutputs,
    SynchMeasure,
    StartMeasure,
    AbortMeasure,
    Count
};

struct RecordedDeviceAccess {
    static constexpr std::size_t kCalls = static_cast<std::size_t>(QnCall::Count);

    std::array<int32_t, kCalls> status{};  // the answer of each function
    std::array<int, kCalls> calls{};
    // QnEnumDevices copies as many of these as there is room for and reports `reported`.
    std::array<QnDeviceRecord, 16> records{};
    uint32_t reported = 0;
    int32_t synchResult = 0;
    // What the last QnStartMeasure was given.
    int32_t* resultDestination = nullptr;
    QnMeasureCallback callback = nullptr;
    uint32_t argument1 = 0;
    uint32_t argument2 = 0;

    int32_t& answer(QnCall call) { return status[static_cast<std::size_t>(call)]; }
    int count(QnCall call) const { return calls[static_cast<std::size_t>(call)]; }
    int totalCalls() const;
    // `count` devices with identifiers 1..count, none open.
    void listDevices(uint32_t count);
};

RecordedDeviceAccess& recorded();

}  // namespace zo::test
