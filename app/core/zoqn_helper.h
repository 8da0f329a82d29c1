#pragma once
// The run-time binding of the device-access library. The program never links the library: the
// binder loads it by its plain file name through the platform's library loader (from beside the
// program, then from the system folder) and looks up its functions by name. Every device call of
// the program goes through a forwarder here, which answers QN_ERR_FAILED (1) when the library is
// not loaded, so the program runs without a device on a machine without the library.
//
// All state is shared by every instance, and the forwarders use nothing else. The first instance
// that finds the library binds it; an instance made after a failed load tries again; the library
// is freed when the last instance goes. The program has one instance, theZoqnHelper, made before
// main and destroyed at exit; the state is changed only then, so the forwarders take no lock.

#include <cstdint>
#include <optional>

#include "include/QuintelDrv.h"
#include "platform/shared_library.h"

namespace zo::quintel {

inline constexpr const char* kDeviceLibraryFileName = "libQuintelDrv.so";

class CZoqnHelper {
  public:
    CZoqnHelper();
    virtual ~CZoqnHelper();
    CZoqnHelper(const CZoqnHelper&) = delete;
    CZoqnHelper& operator=(const CZoqnHelper&) = delete;

    static std::int32_t LoadDriver();
    // Does nothing when the library is not loaded.
    static void UnloadDriver();
    // Leaves `count` as it is when the library is not loaded.
    static std::int32_t EnumDevices(QnDeviceRecord* records, std::uint32_t* count);
    static std::int32_t OpenDevice(std::uint32_t id, QnHandle* handle);
    static std::int32_t CloseDevice(QnHandle handle);
    static std::int32_t GetDeviceInfo(QnHandle handle, std::uint32_t type, std::int32_t* value,
                                      std::int32_t* reserved);
    static std::int32_t ReadDefaultSettings(QnHandle handle, QnDeviceSettings* settings);
    static std::int32_t ReadDeviceSettings(QnHandle handle, QnDeviceSettings* settings);
    static std::int32_t RefreshDeviceSettings(QnHandle handle, QnDeviceSettings* settings);
    static std::int32_t SetParameter(QnHandle handle, QnDeviceSettings* settings,
                                     std::uint32_t channel, std::uint32_t id, std::uint32_t value);
    static std::int32_t OpenOutputs(QnHandle handle, std::uint32_t mask);
    static std::int32_t CloseOutputs(QnHandle handle, std::uint32_t mask);
    static std::int32_t SynchMeasure(QnHandle handle, std::uint32_t input, std::uint32_t mode,
                                     std::int32_t edge, std::int32_t* result,
                                     std::uint32_t timeout);

  private:
    // The library's functions in lookup order; an entry is null when the library lacks it.
    struct EntryPoints {
        decltype(&QnGetVersion) getVersion = nullptr;
        decltype(&QnLoadDriver) loadDriver = nullptr;
        decltype(&QnUnloadDriver) unloadDriver = nullptr;
        decltype(&QnEnumDevices) enumDevices = nullptr;
        decltype(&QnOpenDevice) openDevice = nullptr;
        decltype(&QnCloseDevice) closeDevice = nullptr;
        decltype(&QnGetDeviceInfo) getDeviceInfo = nullptr;
        decltype(&QnReadDefaultSettings) readDefaultSettings = nullptr;
        decltype(&QnReadDeviceSettings) readDeviceSettings = nullptr;
        decltype(&QnRefreshDeviceSettings) refreshDeviceSettings = nullptr;
        decltype(&QnValidateDeviceSettings) validateDeviceSettings = nullptr;
        decltype(&QnGetParameter) getParameter = nullptr;
        decltype(&QnSetParameter) setParameter = nullptr;
        decltype(&QnGetParameterAttribute) getParameterAttribute = nullptr;
        decltype(&QnOpenOutputs) openOutputs = nullptr;
        decltype(&QnCloseOutputs) closeOutputs = nullptr;
        decltype(&QnSynchMeasure) synchMeasure = nullptr;
        decltype(&QnStartMeasure) startMeasure = nullptr;
        decltype(&QnAbortMeasure) abortMeasure = nullptr;
        decltype(&QnGetHardwareError) getHardwareError = nullptr;
    };
    struct State {
        std::optional<platform::SharedLibrary> module;
        EntryPoints entries;
        bool bound = false;
        int instances = 0;
    };

    static EntryPoints bind(const platform::SharedLibrary& library);
    // QN_ERR_FAILED without a call when the library is not loaded or lacks the function.
    template <typename Function, typename... Arguments>
    static std::int32_t call(Function* entry, Arguments... arguments);

    static State state_;
};

// The program's binder, made before main.
extern CZoqnHelper theZoqnHelper;

// The operations that need no open device, through theZoqnHelper.
std::int32_t LoadDriver();
void UnloadDriver();
std::int32_t EnumDevices(QnDeviceRecord* records, std::uint32_t* count);

}  // namespace zo::quintel
