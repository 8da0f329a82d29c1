// A full repaint of the timing diagram with eight channels on, gated and burst channels among
// them, into an offscreen image.

#include "app/core/diagram/tests/diagram_test_support.h"
#include "app/ui/diagram/tests/offscreen_platform.h"
#include "app/ui/diagram/time_wnd.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>

namespace zo::quintel {
namespace {

void RepaintEightChannels(benchmark::State& state) {
    const DeviceConfig config = test::EightChannelConfig();
    CTimeWnd window;
    window.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    window.SetConfig(&config);
    QImage image(window.size(), QImage::Format_RGB32);
    for (auto _ : state) {
        window.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
}
// The dialog's size, and a wide window of more than a thousand columns.
BENCHMARK(RepaintEightChannels)->Args({480, 300})->Args({1600, 600})->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace zo::quintel

int main(int argc, char** argv) {
    zo::quintel::test::PreferOffscreenPlatform();
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
