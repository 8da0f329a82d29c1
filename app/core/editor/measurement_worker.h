#pragma once
// The measurement of the hub's external inputs A and B while the editor runs: a thread of its own
// measures each input whose measurement is switched on, pass after pass with a pause between
// passes, and hands each pass's read-out to a delivery function. The thread touches nothing of the
// user interface: the delivery passes the read-out on to the user-interface thread, which shows it.

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <stop_token>
#include <thread>

#include "app/core/hub_device.h"

namespace zo::quintel {

enum class ExternalInput { kA = 0, kB = 1 };

struct MeasurementReadout {
    std::uint32_t periodA = 0;  // ns, 0 = no measurement
    std::uint32_t periodB = 0;
    bool changed = false;  // a period differs from the previous pass

    bool operator==(const MeasurementReadout&) const = default;
};

// The frequency in hertz of a period in nanoseconds; 0 for no period.
double FrequencyOfPeriod(std::uint32_t periodNs);

class MeasurementWorker {
  public:
    using Delivery = std::function<void(const MeasurementReadout&)>;

    static constexpr std::chrono::milliseconds kPause{50};
    static constexpr std::uint32_t kTimeoutMs = 2000;

    MeasurementWorker(CHubDevice& device, Delivery delivery,
                      std::chrono::milliseconds pause = kPause);
    ~MeasurementWorker();
    MeasurementWorker(const MeasurementWorker&) = delete;
    MeasurementWorker& operator=(const MeasurementWorker&) = delete;

    // Whether the passes measure an input; may change at any time from any thread.
    void SetMeasured(ExternalInput input, bool on);

    // Starts the thread; does nothing while it runs.
    void Start();
    // Returns once the thread has ended: a pass in progress finishes the measurement it is in and
    // skips the rest, a pause ends at once. Afterwards the worker makes no device call.
    void Stop();
    bool Running() const { return thread_.joinable(); }

    // One pass on the calling thread: nothing while the device is not open; else each input
    // measured (a failed measurement, a time-out included, counts as no period) or, when its
    // measurement is off, set to no period. None when `stop` was requested between the inputs.
    std::optional<MeasurementReadout> MeasurePass(std::stop_token stop = {});

  private:
    std::uint32_t MeasureInput(ExternalInput input);
    void Run(std::stop_token stop);

    CHubDevice& device_;
    const Delivery delivery_;
    const std::chrono::milliseconds pause_;
    std::array<std::atomic<bool>, 2> measured_{};
    std::array<std::uint32_t, 2> lastPeriod_{};  // the worker thread's own

    std::mutex mutex_;
    std::condition_variable_any wake_;
    std::jthread thread_;
};

}  // namespace zo::quintel
