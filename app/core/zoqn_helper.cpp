#include "app/core/zoqn_helper.h"

namespace zo::quintel {
namespace {

template <typename Function>
void lookUp(const platform::SharedLibrary& library, const char* name, Function*& entry) {
    entry = reinterpret_cast<Function*>(library.symbol(name));
}

}  // namespace

constinit CZoqnHelper::State CZoqnHelper::state_{};

CZoqnHelper::EntryPoints CZoqnHelper::bind(const platform::SharedLibrary& library) {
    EntryPoints entries;
    lookUp(library, "QnGetVersion", entries.getVersion);
    lookUp(library, "QnLoadDriver", entries.loadDriver);
    lookUp(library, "QnUnloadDriver", entries.unloadDriver);
    lookUp(library, "QnEnumDevices", entries.enumDevices);
    lookUp(library, "QnOpenDevice", entries.openDevice);
    lookUp(library, "QnCloseDevice", entries.closeDevice);
    lookUp(library, "QnGetDeviceInfo", entries.getDeviceInfo);
    lookUp(library, "QnReadDefaultSettings", entries.readDefaultSettings);
    lookUp(library, "QnReadDeviceSettings", entries.readDeviceSettings);
    lookUp(library, "QnRefreshDeviceSettings", entries.refreshDeviceSettings);
    lookUp(library, "QnValidateDeviceSettings", entries.validateDeviceSettings);
    lookUp(library, "QnGetParameter", entries.getParameter);
    lookUp(library, "QnSetParameter", entries.setParameter);
    lookUp(library, "QnGetParameterAttribute", entries.getParameterAttribute);
    lookUp(library, "QnOpenOutputs", entries.openOutputs);
    lookUp(library, "QnCloseOutputs", entries.closeOutputs);
    lookUp(library, "QnSynchMeasure", entries.synchMeasure);
    lookUp(library, "QnStartMeasure", entries.startMeasure);
    lookUp(library, "QnAbortMeasure", entries.abortMeasure);
    lookUp(library, "QnGetHardwareError", entries.getHardwareError);
    return entries;
}

CZoqnHelper::CZoqnHelper() {
    ++state_.instances;
    if (state_.bound) {
        return;
    }
    state_.module = platform::SharedLibrary::load(kDeviceLibraryFileName);
    if (!state_.module) {
        return;  // not bound: the next instance tries again
    }
    state_.entries = bind(*state_.module);
    state_.bound = true;
}

CZoqnHelper::~CZoqnHelper() {
    if (state_.instances > 0 && --state_.instances > 0) {
        return;
    }
    state_.entries = {};
    state_.module.reset();
    state_.bound = false;
}

template <typename Function, typename... Arguments>
std::int32_t CZoqnHelper::call(Function* entry, Arguments... arguments) {
    if (!state_.module || entry == nullptr) {
        return QN_ERR_FAILED;
    }
    return entry(arguments...);
}

std::int32_t CZoqnHelper::LoadDriver() {
    return call(state_.entries.loadDriver);
}

void CZoqnHelper::UnloadDriver() {
    if (state_.module && state_.entries.unloadDriver != nullptr) {
        state_.entries.unloadDriver();
    }
}

std::int32_t CZoqnHelper::EnumDevices(QnDeviceRecord* records, std::uint32_t* count) {
    return call(state_.entries.enumDevices, records, count);
}

std::int32_t CZoqnHelper::OpenDevice(std::uint32_t id, QnHandle* handle) {
    return call(state_.entries.openDevice, id, handle);
}

std::int32_t CZoqnHelper::CloseDevice(QnHandle handle) {
    return call(state_.entries.closeDevice, handle);
}

std::int32_t CZoqnHelper::GetDeviceInfo(QnHandle handle, std::uint32_t type, std::int32_t* value,
                                        std::int32_t* reserved) {
    return call(state_.entries.getDeviceInfo, handle, type, value, reserved);
}

std::int32_t CZoqnHelper::ReadDefaultSettings(QnHandle handle, QnDeviceSettings* settings) {
    return call(state_.entries.readDefaultSettings, handle, settings);
}

std::int32_t CZoqnHelper::ReadDeviceSettings(QnHandle handle, QnDeviceSettings* settings) {
    return call(state_.entries.readDeviceSettings, handle, settings);
}

std::int32_t CZoqnHelper::RefreshDeviceSettings(QnHandle handle, QnDeviceSettings* settings) {
    return call(state_.entries.refreshDeviceSettings, handle, settings);
}

std::int32_t CZoqnHelper::SetParameter(QnHandle handle, QnDeviceSettings* settings,
                                       std::uint32_t channel, std::uint32_t id,
                                       std::uint32_t value) {
    return call(state_.entries.setParameter, handle, settings, channel, id, value);
}

std::int32_t CZoqnHelper::OpenOutputs(QnHandle handle, std::uint32_t mask) {
    return call(state_.entries.openOutputs, handle, mask);
}

std::int32_t CZoqnHelper::CloseOutputs(QnHandle handle, std::uint32_t mask) {
    return call(state_.entries.closeOutputs, handle, mask);
}

std::int32_t CZoqnHelper::SynchMeasure(QnHandle handle, std::uint32_t input, std::uint32_t mode,
                                       std::int32_t edge, std::int32_t* result,
                                       std::uint32_t timeout) {
    return call(state_.entries.synchMeasure, handle, input, mode, edge, result, timeout);
}

}  // namespace zo::quintel
