#include "labview/tests/recording_device_access.h"

#include <algorithm>
#include <numeric>

namespace zo::test {

namespace {

constinit RecordedDeviceAccess state{};

// The handle the stand-in gives out: any recognisable non-null value.
QnHandle handleOf(uint32_t id) {
    return reinterpret_cast<QnHandle>(static_cast<uintptr_t>(0x1000 + id));
}

int32_t take(QnCall call) {
    ++state.calls[static_cast<std::size_t>(call)];
    return state.answer(call);
}

}  // namespace

RecordedDeviceAccess& recorded() {
    return state;
}

int RecordedDeviceAccess::totalCalls() const {
    return std::accumulate(calls.begin(), calls.end(), 0);
}

void RecordedDeviceAccess::listDevices(uint32_t count) {
    reported = count;
    for (uint32_t i = 0; i < records.size(); ++i) {
        records[i] = QnDeviceRecord{0, 1, static_cast<int32_t>(i + 1), 0, 0, 0, 20};
    }
}

}  // namespace zo::test

using zo::test::QnCall;

extern "C" {

int32_t QnLoadDriver(void) {
    return zo::test::take(QnCall::LoadDriver);
}
void QnUnloadDriver(void) {
    zo::test::take(QnCall::UnloadDriver);
}
int32_t QnEnumDevices(QnDeviceRecord* records, uint32_t* count) {
    const int32_t status = zo::test::take(QnCall::EnumDevices);
    auto& state = zo::test::recorded();
    const auto copied = std::min<std::size_t>({*count, state.reported, state.records.size()});
    std::copy_n(state.records.begin(), copied, records);
    *count = state.reported;
    return status;
}
int32_t QnOpenDevice(uint32_t id, QnHandle* handle) {
    *handle = zo::test::handleOf(id);
    return zo::test::take(QnCall::OpenDevice);
}
int32_t QnCloseDevice(QnHandle) {
    return zo::test::take(QnCall::CloseDevice);
}
int32_t QnGetDeviceInfo(QnHandle, uint32_t type, int32_t* value, int32_t*) {
    *value = static_cast<int32_t>(type);
    return zo::test::take(QnCall::GetDeviceInfo);
}
int32_t QnReadDeviceSettings(QnHandle, QnDeviceSettings*) {
    return zo::test::take(QnCall::ReadDeviceSettings);
}
int32_t QnRefreshDeviceSettings(QnHandle, const QnDeviceSettings*) {
    return zo::test::take(QnCall::RefreshDeviceSettings);
}
int32_t QnGetParameterAttribute(QnHandle, const QnDeviceSettings*, uint32_t, uint32_t kind,
                                uint32_t* value) {
    *value = kind;
    return zo::test::take(QnCall::GetParameterAttribute);
}
int32_t QnGetParameter(QnHandle, const QnDeviceSettings*, uint32_t, uint32_t, int32_t* value) {
    *value = 0;
    return zo::test::take(QnCall::GetParameter);
}
int32_t QnSetParameter(QnHandle, QnDeviceSettings*, uint32_t, uint32_t, uint32_t) {
    return zo::test::take(QnCall::SetParameter);
}
int32_t QnOpenOutputs(QnHandle, uint32_t) {
    return zo::test::take(QnCall::OpenOutputs);
}
int32_t QnCloseOutputs(QnHandle, uint32_t) {
    return zo::test::take(QnCall::CloseOutputs);
}
int32_t QnSynchMeasure(QnHandle, uint32_t, uint32_t, int32_t, int32_t* result, uint32_t) {
    *result = zo::test::recorded().synchResult;
    return zo::test::take(QnCall::SynchMeasure);
}
int32_t QnStartMeasure(QnHandle, uint32_t, uint32_t, int32_t, int32_t* result,
                       QnMeasureCallback callback, uint32_t argument1, uint32_t argument2) {
    auto& state = zo::test::recorded();
    state.resultDestination = result;
    state.callback = callback;
    state.argument1 = argument1;
    state.argument2 = argument2;
    return zo::test::take(QnCall::StartMeasure);
}
int32_t QnAbortMeasure(QnHandle) {
    return zo::test::take(QnCall::AbortMeasure);
}

}  // extern "C"
