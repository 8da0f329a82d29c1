// What one digit step costs the user: a click on a spin button of row 1 while the channel's output
// is on, through the editor, the device object, the library loaded by the binder, the driver, the
// kernel stand-in and the simulated hub. The counters show which USB transfers it caused.

#include <benchmark/benchmark.h>

#include <atomic>
#include <memory>

#include "app/core/editor/channel_editor.h"
#include "app/core/settings_keys.h"
#include "app/core/zoqn_helper.h"
#include "hub/register_map.h"
#include "hub/testing/observed_hub.h"
#include "kernel/machine.h"
#include "platform/tests/temporary_registry.h"

extern "C" NTSTATUS DriverEntry(DRIVER_OBJECT* driver, UNICODE_STRING* registryPath);

namespace {

using namespace zo::quintel;

constexpr std::uint8_t kRegisterWrite = 0xFB;

// Sorts every control transfer that reaches the hub.
struct TransferCounts {
    std::atomic<std::uint64_t> transfers = 0;
    std::atomic<std::uint64_t> channel0Loads = 0;  // registers 0..3
    std::atomic<std::uint64_t> otherLoads = 0;     // other channels' and the measurement's
    std::atomic<std::uint64_t> outputEnables = 0;
    std::atomic<std::uint64_t> otherWrites = 0;

    void Count(const zo::usb::SetupPacket& setup) {
        ++transfers;
        if (setup.request != kRegisterWrite) {
            return;
        }
        const int reg = setup.value & 0xFF;
        if (reg < 4) {
            ++channel0Loads;
        } else if (reg < zo::hub::kFirstNonLoadRegister) {
            ++otherLoads;
        } else if (reg == zo::hub::kOutputEnable) {
            ++outputEnables;
        } else {
            ++otherWrites;
        }
    }
};

// A window that shows nothing.
class NullView : public EditorView {
  public:
    void ShowControl(int, bool) override {}
    void EnableControl(int, bool) override {}
    void SetText(int, const std::string&) override {}
    void SetCheck(int, bool) override {}
    void FillList(int, const ListItems&) override {}
    void SelectListItem(int, int) override {}
    void SetValue(int, double) override {}
    void SetLit(int, bool) override {}
    void SetButtonState(int, bool, int) override {}
    void SetDiagramTimeBase(bool, std::int32_t) override {}
    std::int32_t RedrawDiagram() override { return 0; }
    void ShowSplash() override {}
    MessageAnswer ShowMessage(std::uint32_t, MessageButtons) override { return MessageAnswer::kOk; }
    void MoveWindow(const WindowPos&) override {}
    WindowPos WindowPlacement() const override { return {}; }
    std::optional<std::int32_t> ChooseLanguage(const std::vector<std::int32_t>&,
                                               std::int32_t) override {
        return std::nullopt;
    }
    void ShowAbout(const VersionInfo&) override {}
    void PostMeasurement(const MeasurementReadout&) override {}
};

void counter(benchmark::State& state, const char* name, std::uint64_t count) {
    state.counters[name] =
        benchmark::Counter(static_cast<double>(count) / static_cast<double>(state.iterations()));
}

// Row 1's hundreds digit up and down in turn: 100 Hz and 200 Hz on channel 0, output on.
void digitStepWithOutputOn(benchmark::State& state) {
    zo::platform::testing::TemporaryRegistry registry;
    CreateUserSettingsKey();
    zo::kernel::Machine machine(zo::kernel::MachineOptions{
        DriverEntry, zo::kernel::BusCompletion::ImmediateWhenIdle, 0x600, {}, {}});
    TransferCounts counts;
    machine.pnp().plugIn(std::make_shared<zo::hub::ObservedHub>(
        [&counts](const zo::usb::SetupPacket& setup) { counts.Count(setup); }));
    CZoqnHelper binder;
    NullView view;
    {
        ChannelEditor editor(view);
        editor.Initialise();
        if (!editor.DeviceOpen()) {
            state.SkipWithError("the simulated hub did not open");
            return;
        }
        editor.ToggleOutput(0);
        const std::uint64_t transfers = counts.transfers;
        const std::uint64_t channel0 = counts.channel0Loads;
        const std::uint64_t others = counts.otherLoads;
        const std::uint64_t enables = counts.outputEnables;
        const std::uint64_t otherWrites = counts.otherWrites;
        bool up = true;
        for (auto _ : state) {
            editor.OnSpinDigit(up, 1092);
            up = !up;
        }
        counter(state, "usb_transfers", counts.transfers - transfers);
        counter(state, "channel0_loads", counts.channel0Loads - channel0);
        counter(state, "other_channel_loads", counts.otherLoads - others);
        counter(state, "output_enables", counts.outputEnables - enables);
        counter(state, "other_writes", counts.otherWrites - otherWrites);
    }
    CZoqnHelper::UnloadDriver();
    for (zo::kernel::UsbPort* port : machine.bus().ports()) {
        machine.pnp().unplug(port->number());
    }
}
BENCHMARK(digitStepWithOutputOn)->Unit(benchmark::kMicrosecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
