// Loading a full-screen background picture, as the dashboard does at start-up and when the
// colour scheme changes, and drawing it whole.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "display/image.h"
#include "display/screen.h"
#include "platform/simulated_platform.h"

namespace {

void put(std::string& out, uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) {
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }
}

// A picture with varied pixels, bottom-up, rows padded to 4 bytes.
std::string pictureFile(int32_t width, int32_t height, uint16_t bits) {
    const uint32_t palette = bits == 8 ? 256 : 0;
    const uint32_t rowBytes = static_cast<uint32_t>(width) * bits / 8;
    const uint32_t stride = (rowBytes + 3) / 4 * 4;
    const uint32_t offset = 54 + 4 * palette;
    std::string file = "BM";
    put(file, offset + stride * static_cast<uint32_t>(height), 4);
    put(file, 0, 4);
    put(file, offset, 4);
    put(file, 40, 4);
    put(file, static_cast<uint32_t>(width), 4);
    put(file, static_cast<uint32_t>(height), 4);
    put(file, 1, 2);
    put(file, bits, 2);
    put(file, 0, 4);
    put(file, stride * static_cast<uint32_t>(height), 4);
    put(file, 2835, 4);
    put(file, 2835, 4);
    put(file, palette, 4);
    put(file, 0, 4);
    for (uint32_t i = 0; i < palette; ++i) {
        put(file, i * 0x010101u, 4);
    }
    for (int32_t y = 0; y < height; ++y) {
        for (uint32_t x = 0; x < stride; ++x) {
            file += static_cast<char>(x < rowBytes ? (x * 7 + static_cast<uint32_t>(y) * 3) : 0);
        }
    }
    return file;
}

class Card {
  public:
    Card() {
        char pattern[] = "/tmp/kelvaro-bench-XXXXXX";
        root_ = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
        platform::sim::Config config;
        config.root = root_;
        platform::sim::configure(config);
        std::filesystem::create_directories(root_ + "/pictures");
    }
    ~Card() {
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }
    std::string add(int32_t width, int32_t height, uint16_t bits) const {
        const std::string name = "/pictures/" + std::to_string(width) + "x" +
                                 std::to_string(height) + "-" + std::to_string(bits) + ".bmp";
        std::ofstream(root_ + name, std::ios::binary) << pictureFile(width, height, bits);
        return name;
    }

  private:
    std::string root_;
};

void loadPicture(benchmark::State& state) {
    static const Card card;
    const auto width = static_cast<int32_t>(state.range(0));
    const auto height = static_cast<int32_t>(state.range(1));
    const std::string path = card.add(width, height, static_cast<uint16_t>(state.range(2)));
    for (auto _ : state) {
        std::optional<kelvaro::Image> image = kelvaro::loadBmp(path);
        if (!image) {
            state.SkipWithError("the picture did not load");
            break;
        }
        benchmark::DoNotOptimize(image->pixels.data());
    }
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(loadPicture)
    ->ArgNames({"w", "h", "bits"})
    ->Args({320, 240, 24})
    ->Args({480, 272, 24})
    ->Args({320, 240, 8})
    ->Args({480, 272, 8})
    ->Unit(benchmark::kMicrosecond);

void drawPicture(benchmark::State& state) {
    const auto width = static_cast<int32_t>(state.range(0));
    const auto height = static_cast<int32_t>(state.range(1));
    const std::string file = pictureFile(width, height, 24);
    const std::optional<kelvaro::Image> image =
        kelvaro::decodeBmp(reinterpret_cast<const uint8_t*>(file.data()), file.size());
    kelvaro::screen.type =
        kelvaro::screenTypeFor(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
    kelvaro::screen.variableInfo.xres = static_cast<uint32_t>(width);
    kelvaro::screen.variableInfo.yres = static_cast<uint32_t>(height);
    kelvaro::screen.offscreen.reset(new uint16_t[static_cast<size_t>(width * height)]);
    for (auto _ : state) {
        kelvaro::drawImage(*image, 0, 0, state.range(2) != 0);
        benchmark::ClobberMemory();
    }
    kelvaro::screen.offscreen.reset();
    state.SetItemsProcessed(state.iterations() * width * height);
}
BENCHMARK(drawPicture)
    ->ArgNames({"w", "h", "transparent"})
    ->Args({320, 240, 0})
    ->Args({480, 272, 0})
    ->Args({480, 272, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
