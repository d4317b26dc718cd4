// The costs of the display's hot paths: a full-screen flush against a plain memcpy of the
// bytes it writes, fillRect, and drawText of a short value in each font slot.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"
#include "platform/simulated_platform.h"

namespace {

namespace fs = std::filesystem;

// A device root with a frame buffer file and the fonts, opened as the program opens it.
class Device {
  public:
    Device(uint32_t xres, uint32_t yres) {
        char pattern[] = "/tmp/kelvaro-bench-XXXXXX";
        root_ = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        platform::sim::Config config;
        config.root = root_;
        config.screenWidth = xres;
        config.screenHeight = yres;
        platform::sim::configure(config);
        fs::create_directories(root_ + "/dev");
        fs::create_directories(root_ + "/mnt/sdcard/skin");
        std::ofstream(root_ + "/dev/fb", std::ios::binary) << std::string(4u * xres * yres, '\0');
        const std::string fonts = "/usr/share/fonts/truetype/liberation/";
        std::error_code ignored;
        fs::copy_file(fonts + "LiberationSans-Regular.ttf", root_ + "/mnt/sdcard/skin/Arial.ttf",
                      ignored);
        fs::copy_file(fonts + "LiberationSans-Bold.ttf", root_ + "/mnt/sdcard/skin/Arialbd.ttf",
                      ignored);
        kelvaro::openScreen();
        kelvaro::initFonts();
        kelvaro::clearRows(0, kelvaro::screenHeight(), kelvaro::toColor565(0, 0, 128));
    }
    ~Device() {
        kelvaro::closeScreen();
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }

  private:
    std::string root_;
};

// Screen sizes of the three types: landscape, wide, portrait.
void screenSizes(benchmark::internal::Benchmark* bench) {
    bench->ArgNames({"xres", "yres"})->Args({320, 240})->Args({480, 272})->Args({240, 320});
}

void flushScreen(benchmark::State& state) {
    const Device device(static_cast<uint32_t>(state.range(0)),
                        static_cast<uint32_t>(state.range(1)));
    for (auto _ : state) {
        kelvaro::flush(true);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kelvaro::screen.byteSize);
}
BENCHMARK(flushScreen)->Apply(screenSizes)->Unit(benchmark::kMicrosecond);

// What flush writes, as plain copies into the same mapping: both halves when the picture
// is not turned, the first half of a portrait device.
void memcpyScreen(benchmark::State& state) {
    const Device device(static_cast<uint32_t>(state.range(0)),
                        static_cast<uint32_t>(state.range(1)));
    const size_t bytes = static_cast<size_t>(kelvaro::screen.byteSize);
    const int copies = kelvaro::screen.type == kelvaro::ScreenType::Portrait ? 1 : 2;
    auto* deviceMemory = reinterpret_cast<uint8_t*>(kelvaro::screen.mapping);
    for (auto _ : state) {
        for (int i = 0; i < copies; ++i) {
            std::memcpy(deviceMemory + i * bytes, kelvaro::screen.offscreen.get(), bytes);
        }
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(state.iterations() * kelvaro::screen.byteSize);
}
BENCHMARK(memcpyScreen)->Apply(screenSizes)->Unit(benchmark::kMicrosecond);

void fillRectangle(benchmark::State& state) {
    const Device device(480, 272);
    const auto side = static_cast<int32_t>(state.range(0));
    kelvaro::Color565 color = 0;
    for (auto _ : state) {
        kelvaro::fillRect(0, 0, side - 1, side * 272 / 480 - 1, ++color);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * side * (side * 272 / 480));
}
BENCHMARK(fillRectangle)
    ->ArgName("width")
    ->Arg(16)
    ->Arg(120)
    ->Arg(480)
    ->Unit(benchmark::kMicrosecond);

// A value of the dashboard in each slot, on a 320 x 240 and on a wide screen.
void drawValue(benchmark::State& state) {
    const bool wide = state.range(1) != 0;
    const Device device(wide ? 480 : 320, wide ? 272 : 240);
    const auto slot = static_cast<int32_t>(state.range(0));
    if (kelvaro::textWidth(slot, "123.4") == 0) {
        state.SkipWithError("the fonts are not installed");
        return;
    }
    for (auto _ : state) {
        kelvaro::drawText(160, 120, "123.4", 0xFFFF, 0, kelvaro::HAlign::Centre,
                          kelvaro::VAlign::Centre, slot, 0, 0xFFFF, true);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(drawValue)
    ->ArgNames({"slot", "wide"})
    ->ArgsProduct({{0, 1, 2, 3}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
