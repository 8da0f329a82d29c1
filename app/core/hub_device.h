#pragma once
// The program's view of one hub: the device handle, the program's working copy of the library's
// settings record, and the operations that turn the channel configuration (in the user's units)
// into parameter writes (in the hub's units, app/core/device_units.h). Every call goes to the
// library through the binder (CZoqnHelper) and returns the library's status; without the library
// every call answers 1. The object takes no lock: the library serialises the transfers of the
// user-interface thread and the measurement worker, and only the user-interface thread changes the
// settings.

#include <atomic>
#include <cstdint>

#include "app/core/device_config.h"
#include "include/QuintelDrv.h"

namespace zo::quintel {

// What the dialog hands to GetDeviceInfo for the USB speed, and the code of a Hi-Speed port.
inline constexpr std::uint32_t kSpeedInfoType = QN_INFO_SPEED;
inline constexpr std::int32_t kHighSpeedCode = 20;

class CHubDevice {
  public:
    CHubDevice();
    // Closes the device when it is still open.
    ~CHubDevice();
    CHubDevice(const CHubDevice&) = delete;
    CHubDevice& operator=(const CHubDevice&) = delete;

    // Set by the dialog once a device is open and configured; tested before every device step
    // and by the measurement worker.
    std::atomic<bool> m_bOpen{false};

    QnHandle handle() const { return m_hDevice; }
    std::uint32_t deviceId() const { return m_nDeviceId; }
    const QnDeviceSettings& settings() const { return m_settings; }

    // Opens device `id` (closing one still open first) and starts the working copy from the
    // device's defaults. The status of the open, else of reading the defaults; nothing is written
    // into the working copy before the open succeeded.
    std::int32_t Open(std::uint32_t id);
    // Closes the device when one is open; the status is not needed.
    void Close();

    std::int32_t GetDeviceInfo(std::uint32_t type, std::int32_t* value, std::int32_t* reserved);
    std::int32_t ReadDefaultSettings();
    std::int32_t ReadDeviceSettings();
    // Hands the working copy to the library, which uploads the channels that changed.
    std::int32_t RefreshDeviceSettings();
    // One parameter into the working copy.
    std::int32_t WriteParameter(std::uint32_t channel, std::uint32_t id, std::uint32_t value);
    // Like WriteParameter; the output's idle level always follows its invert setting, so writing
    // QN_PARAM_INVERT writes QN_PARAM_IDLE_LEVEL first.
    std::int32_t SetParameter(std::uint32_t channel, std::uint32_t id, std::uint32_t value);
    std::int32_t OpenOutputs(std::uint32_t mask);
    std::int32_t CloseOutputs(std::uint32_t mask);
    // The dialog measures input 1 (A) or 2 (B), mode 0, edge 1, time-out 2000 ms; the result is
    // the period in ns.
    std::int32_t SynchMeasure(std::uint32_t input, std::uint32_t mode, std::int32_t edge,
                              std::int32_t* result, std::uint32_t timeout);

    // Off: closes all eight outputs. On: opens the outputs of every channel switched on, also
    // when there is none, so that all running outputs restart in step.
    void SwitchOutputs(const DeviceConfig& config, bool on);
    static bool AnyOutputOn(const DeviceConfig& config);
    // The USB speed code of the device (20 Hi-Speed, 11 full speed), 0 when it cannot be read.
    std::int32_t GetSpeedCode();

    // One pulse set's period and width as its high and low durations: QN_PARAM_HIGH_TIME and
    // QN_PARAM_LOW_TIME, or QN_PARAM_HIGH_TIME2 and QN_PARAM_LOW_TIME2 for the second set. Stops
    // at the first failed write.
    std::int32_t ApplyTiming(std::uint32_t channel, std::uint32_t mode, std::uint32_t period,
                             std::uint32_t width, bool second);
    // A delay (QN_PARAM_DELAY or QN_PARAM_DELAY2 as `id`) in the hub's units.
    std::int32_t ApplyDelay(std::uint32_t channel, std::uint32_t mode, std::uint32_t id,
                            std::uint32_t value);
    // The sources, mode and retrigger, both pulse sets and both delays of one channel, as a mode
    // change needs them. The status of the mode writes; the others carry on past failures.
    std::int32_t ApplyChannelMode(std::uint32_t channel, const ChannelConfig& config);
    // Every parameter of all eight channels, then the refresh, whose status is the result.
    std::int32_t ApplyConfiguration(const DeviceConfig& config);

  private:
    // Both pulse sets and both delays (the second always 0); statuses ignored.
    void ApplyPulseSets(std::uint32_t channel, const ChannelConfig& config);

    QnHandle m_hDevice = nullptr;
    std::uint32_t m_nDeviceId = 0;
    QnDeviceSettings m_settings{};
};

}  // namespace zo::quintel
