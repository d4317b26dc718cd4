// What a turn of the running dashboard costs beside what it must cost, in one run: a steady
// turn against its flush at 320x240 and 480x272, FreeType glyph loads and heap allocations
// per steady turn, the start-up to the first dashboard frame against an eager measuring
// pass over every character, the NMEA decoder against a memcpy of the same bytes, and the
// one-hour drive's replay. Times are this thread's CPU time, so that a loaded machine
// slows them less; the counts are the same on every machine. A plain program rather than a
// Google Benchmark one, so that it also builds for the device and runs under qemu.
#include <ft2build.h>
#include FT_FREETYPE_H
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "app/application.h"
#include "display/screen.h"
#include "display/text.h"
#include "platform/simulated_platform.h"
#include "position/gps_feed.h"
#include "sim/card.h"
#include "sim/options.h"
#include "sim/simulator.h"
#include "sim/world.h"

// Heap allocations are counted while `counting` is set. The host build takes malloc over
// from the C library for the whole process (the shared FreeType and C++ libraries call
// it too); the static device build has every reference to malloc linked to the wrappers.
namespace {
bool counting = false;
uint64_t allocations = 0;
uint64_t allocatedBytes = 0;
void countAllocation(size_t bytes) {
    if (counting) {
        ++allocations;
        allocatedBytes += bytes;
    }
}
}  // namespace

extern "C" {
#ifdef KELVARO_WRAPPED_MALLOC
void* __real_malloc(size_t bytes);
void* __real_calloc(size_t count, size_t bytes);
void* __real_realloc(void* old, size_t bytes);
void* __wrap_malloc(size_t bytes) {
    countAllocation(bytes);
    return __real_malloc(bytes);
}
void* __wrap_calloc(size_t count, size_t bytes) {
    countAllocation(count * bytes);
    return __real_calloc(count, bytes);
}
void* __wrap_realloc(void* old, size_t bytes) {
    countAllocation(bytes);
    return __real_realloc(old, bytes);
}
#else
void* __libc_malloc(size_t bytes);
void* __libc_calloc(size_t count, size_t bytes);
void* __libc_realloc(void* old, size_t bytes);
void* malloc(size_t bytes) {
    countAllocation(bytes);
    return __libc_malloc(bytes);
}
void* calloc(size_t count, size_t bytes) {
    countAllocation(count * bytes);
    return __libc_calloc(count, bytes);
}
void* realloc(void* old, size_t bytes) {
    countAllocation(bytes);
    return __libc_realloc(old, bytes);
}
#endif
}

namespace {

namespace fs = std::filesystem;

const std::string kSource = KELVARO_SOURCE_DIR;

uint64_t cpuNanoseconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<uint64_t>(now.tv_sec) * 1000000000u + static_cast<uint64_t>(now.tv_nsec);
}

// What one reading of the thread's clock costs: a system call, made twice by every sleep of
// a measured turn, whose time lies outside the span the two readings take off.
uint64_t clockReadingNanoseconds() {
    constexpr int kReadings = 10000;
    const uint64_t start = cpuNanoseconds();
    for (int i = 1; i < kReadings; ++i) {
        cpuNanoseconds();
    }
    return (cpuNanoseconds() - start) / kReadings;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string freshRoot() {
    char pattern[] = "/tmp/kelvaro-bench-XXXXXX";
    return mkdtemp(pattern) != nullptr ? pattern : "/tmp/kelvaro-bench";
}

// Costs and counts of the program's own work; the simulated world's work in the sleeps is
// left out of both.
struct Meter {
    uint64_t nanoseconds = 0;
    uint64_t allocations = 0;
    uint64_t bytes = 0;
    uint64_t glyphLoads = 0;
};

class Measured {
  public:
    explicit Measured(Meter& meter) : meter_(meter) {
        glyphs_ = kelvaro::glyphLoads();
        allocations_ = allocations;
        bytes_ = allocatedBytes;
        counting = true;
        start_ = cpuNanoseconds();
    }
    ~Measured() {
        const uint64_t end = cpuNanoseconds();
        counting = false;
        meter_.nanoseconds += end - start_;
        meter_.allocations += allocations - allocations_;
        meter_.bytes += allocatedBytes - bytes_;
        meter_.glyphLoads += kelvaro::glyphLoads() - glyphs_;
    }
    Measured(const Measured&) = delete;
    Measured& operator=(const Measured&) = delete;

  private:
    Meter& meter_;
    uint64_t start_ = 0;
    uint64_t glyphs_ = 0;
    uint64_t allocations_ = 0;
    uint64_t bytes_ = 0;
};

// What the world did inside the program's sleeps, taken off the running meter.
uint64_t worldNanoseconds = 0;

// The sizes of the four font slots in 1/64 point, wide screen first.
constexpr FT_F26Dot6 kSlotHeights[4][2] = {{3456, 3072}, {1024, 768}, {640, 512}, {448, 384}};

// Every character 32-255 of the four slots loaded once, as a start-up that measures all of
// them before the first frame does.
__attribute__((noinline)) uint64_t eagerMeasuringPass(const std::string& root, bool wide) {
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0) {
        return 0;
    }
    const uint64_t start = cpuNanoseconds();
    for (int slot = 0; slot < 4; ++slot) {
        const std::string font =
            root + (slot == 3 ? "/mnt/sdcard/skin/Arial.ttf" : "/mnt/sdcard/skin/Arialbd.ttf");
        FT_Face face = nullptr;
        if (FT_New_Face(library, font.c_str(), 0, &face) != 0) {
            continue;
        }
        FT_Set_Char_Size(face, 0, kSlotHeights[slot][wide ? 0 : 1], 140, 140);
        for (FT_ULong code = 32; code < 256; ++code) {
            FT_Load_Glyph(face, FT_Get_Char_Index(face, code), FT_LOAD_DEFAULT);
        }
        FT_Done_Face(face);
    }
    const uint64_t spent = cpuNanoseconds() - start;
    FT_Done_FreeType(library);
    return spent;
}

struct ScreenFigures {
    uint32_t width = 0;
    uint32_t height = 0;
    Meter firstFrame;
    uint64_t eagerPass = 0;
    Meter steady;
    uint32_t steadyTurns = 0;
    uint64_t flushNanoseconds = 0;
    uint32_t cachedGlyphs = 0;
    size_t cachedBytes = 0;
};

// The measured calls under names of their own, so that a profiler can be told to count
// inside them only (callgrind's --toggle-collect). The empty statement after each call
// keeps it a call rather than a jump, which the profiler would take for leaving.
#define KELVARO_NOT_A_TAIL_CALL asm volatile("" : : : "memory")
__attribute__((noinline)) void startUp(kelvaro::Application& app) {
    kelvaro::startApplication(app);
    KELVARO_NOT_A_TAIL_CALL;
}
// Kept apart from steadyTurn, which the compiler would otherwise fold into it.
uint32_t startUpTurns = 0;
__attribute__((noinline)) void startUpTurn(kelvaro::Application& app) {
    ++startUpTurns;
    kelvaro::runTurn(app);
    KELVARO_NOT_A_TAIL_CALL;
}
__attribute__((noinline)) void steadyTurn(kelvaro::Application& app) {
    kelvaro::runTurn(app);
    KELVARO_NOT_A_TAIL_CALL;
}
constexpr uint32_t kFlushes = 200;
__attribute__((noinline)) void flushes() {
    for (uint32_t i = 0; i < kFlushes; ++i) {
        kelvaro::flush(true);
    }
}
constexpr size_t kChunk = 1024;
__attribute__((noinline)) void decodeChunks(kelvaro::GpsFix& fix, const std::string& bytes) {
    for (size_t at = 0; at < bytes.size(); at += kChunk) {
        kelvaro::collectChunk(fix, bytes.data() + at, std::min(kChunk, bytes.size() - at));
    }
}
__attribute__((noinline)) void copyChunks(const std::string& bytes, char* copy) {
    for (size_t at = 0; at < bytes.size(); at += kChunk) {
        std::memcpy(copy, bytes.data() + at, std::min(kChunk, bytes.size() - at));
        asm volatile("" : : "r"(copy) : "memory");
    }
}

bool isTripPage(kelvaro::Page page) {
    return page == kelvaro::Page::AwaitingTime || page == kelvaro::Page::Running;
}

// The hour drive on one screen size, stepped turn by turn: start-up to the first full
// dashboard frame, a warm-up, then the steady turns.
ScreenFigures runScreen(uint32_t width, uint32_t height, uint32_t warmupTurns,
                        uint32_t steadyTurns) {
    ScreenFigures figures;
    figures.width = width;
    figures.height = height;
    const std::string root = freshRoot();
    std::string error;
    if (!kelvaro::sim::prepareRoot(root, kelvaro::sim::projectCard(), width, height, &error)) {
        std::fprintf(stderr, "turn_costs: %s\n", error.c_str());
        std::exit(1);
    }
    platform::sim::Config config;
    config.root = root;
    config.screenWidth = width;
    config.screenHeight = height;
    platform::sim::configure(config);
    kelvaro::sim::Options options;
    options.root = root;
    options.nmea = kSource + "/data/drives/hour.nmea";
    options.screenWidth = width;
    options.screenHeight = height;
    kelvaro::sim::World world(options, {});
    if (!world.start(&error)) {
        std::fprintf(stderr, "turn_costs: %s\n", error.c_str());
        std::exit(1);
    }
    const uint64_t clockReading = clockReadingNanoseconds();
    platform::sim::setSleepHook([&world, clockReading](uint64_t now) {
        const bool wasCounting = counting;
        counting = false;
        const uint64_t start = cpuNanoseconds();
        world.step(now);
        worldNanoseconds += cpuNanoseconds() - start + clockReading;
        counting = wasCounting;
    });
    world.step(0);

    kelvaro::Application app;
    // The meters run around the program's calls; the world's share is taken off after.
    auto program = [&](Meter& meter, auto&& work) {
        const uint64_t worldBefore = worldNanoseconds;
        {
            const Measured measured(meter);
            work();
        }
        meter.nanoseconds -= worldNanoseconds - worldBefore;
    };
    program(figures.firstFrame, [&] { startUp(app); });
    bool framed = false;
    while (!framed && app.trip->page != kelvaro::Page::Stopped) {
        framed = app.loop.fullRedraw && isTripPage(app.trip->page);
        program(figures.firstFrame, [&] { startUpTurn(app); });
    }
    figures.eagerPass = eagerMeasuringPass(root, width > 320);

    for (uint32_t i = 0; i < warmupTurns; ++i) {
        kelvaro::runTurn(app);
    }
    for (uint32_t i = 0; i < steadyTurns && app.trip->page == kelvaro::Page::Running; ++i) {
        program(figures.steady, [&] { steadyTurn(app); });
        figures.steadyTurns += 1;
    }
    for (const kelvaro::FontRecord& font : kelvaro::screen.fonts) {
        for (const kelvaro::CachedGlyph& glyph : font.glyphs) {
            figures.cachedGlyphs += glyph.loaded ? 1 : 0;
        }
        figures.cachedBytes += font.coverage.size();
    }
    const uint64_t start = cpuNanoseconds();
    flushes();
    figures.flushNanoseconds = (cpuNanoseconds() - start) / kFlushes;

    app.trip->page = kelvaro::Page::Exiting;
    kelvaro::runTurn(app);
    kelvaro::finishApplication(app);
    platform::sim::setSleepHook(nullptr);
    std::error_code ignored;
    fs::remove_all(root, ignored);
    return figures;
}

double perTurn(uint64_t total, uint32_t turns) {
    return turns == 0 ? 0.0 : static_cast<double>(total) / turns;
}

void printScreen(const ScreenFigures& f) {
    const double turn = perTurn(f.steady.nanoseconds, f.steadyTurns) / 1000.0;
    const double flush = static_cast<double>(f.flushNanoseconds) / 1000.0;
    std::printf("screen %ux%u, %u steady turns of the hour drive\n", f.width, f.height,
                f.steadyTurns);
    std::printf("  steady turn            %10.1f us   flush %8.1f us   turn / flush %6.2f\n", turn,
                flush, flush > 0 ? turn / flush : 0.0);
    std::printf(
        "  per steady turn        %10.3f FreeType glyph loads   %8.3f heap allocations "
        "(%.0f bytes)\n",
        perTurn(f.steady.glyphLoads, f.steadyTurns), perTurn(f.steady.allocations, f.steadyTurns),
        perTurn(f.steady.bytes, f.steadyTurns));
    const double first = static_cast<double>(f.firstFrame.nanoseconds) / 1e6;
    const double eager = static_cast<double>(f.eagerPass) / 1e6;
    std::printf(
        "  start-up to 1st frame  %10.2f ms   eager measuring pass %8.2f ms   ratio %6.2f\n", first,
        eager, eager > 0 ? first / eager : 0.0);
    std::printf("  before the 1st frame   %10llu FreeType glyph loads   %8llu heap allocations\n",
                static_cast<unsigned long long>(f.firstFrame.glyphLoads),
                static_cast<unsigned long long>(f.firstFrame.allocations));
    std::printf("  glyph cache at the end %10u glyphs of the four slots, %zu bytes of coverage\n",
                f.cachedGlyphs, f.cachedBytes);
}

// The shipped drives decoded in the feed's 1024-byte chunks, beside copying the same
// chunks.
void printDecoder(uint32_t rounds) {
    std::string bytes;
    for (const char* drive : {"fix-loss", "hill", "hour", "midnight", "motorway", "town"}) {
        bytes += readFile(kSource + "/data/drives/" + drive + ".nmea");
    }
    uint64_t sentences = 0;
    for (const char c : bytes) {
        sentences += c == '$' ? 1 : 0;
    }
    std::vector<char> copy(kChunk);
    static kelvaro::GpsFix fix;
    uint64_t decodeNanoseconds = 0;
    uint64_t copyNanoseconds = 0;
    for (uint32_t round = 0; round < rounds; ++round) {
        fix.reset();
        uint64_t start = cpuNanoseconds();
        decodeChunks(fix, bytes);
        decodeNanoseconds += cpuNanoseconds() - start;
        start = cpuNanoseconds();
        copyChunks(bytes, copy.data());
        copyNanoseconds += cpuNanoseconds() - start;
    }
    const double count = static_cast<double>(sentences) * rounds;
    std::printf("NMEA decoder over the shipped drives, %llu sentences (last fix %d, %d)\n",
                static_cast<unsigned long long>(sentences), fix.latitude, fix.longitude);
    std::printf("  decode %8.1f ns per sentence   memcpy %6.1f ns per sentence\n",
                static_cast<double>(decodeNanoseconds) / count,
                static_cast<double>(copyNanoseconds) / count);
}

// The whole simulator run of the hour drive in a child process, start-up to the exit
// after the feed went away.
void printReplay() {
    const std::string root = freshRoot();
    const std::string drive = kSource + "/data/drives/hour.nmea";
    timespec start{};
    clock_gettime(CLOCK_MONOTONIC, &start);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        if (std::freopen("/dev/null", "w", stdout) == nullptr) {
            _exit(127);
        }
        const std::vector<const char*> argv = {"kelvaro-sim", "--root", root.c_str(), "--nmea",
                                               drive.c_str()};
        _exit(kelvaro::sim::simMain(static_cast<int>(argv.size()), argv.data()));
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    timespec end{};
    clock_gettime(CLOCK_MONOTONIC, &end);
    const double wall = static_cast<double>(end.tv_sec - start.tv_sec) +
                        static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
    const double cpu = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("hour drive replay   %6.2f s CPU   %6.2f s wall   exit status %d\n", cpu, wall,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::error_code ignored;
    fs::remove_all(root, ignored);
}

}  // namespace

// --quick decodes the drives fewer times, for a run under qemu or a profiler;
// --no-replay leaves out the hour drive's replay, --screen WxH runs that screen only. The
// counts stay the same.
int main(int argc, char** argv) {
    bool quick = false;
    bool replay = true;
    uint32_t onlyWidth = 0;
    uint32_t onlyHeight = 0;
    for (int i = 1; i < argc; ++i) {
        quick = quick || std::strcmp(argv[i], "--quick") == 0;
        replay = replay && std::strcmp(argv[i], "--no-replay") != 0;
        if (std::strcmp(argv[i], "--screen") == 0 && i + 1 < argc &&
            std::sscanf(argv[i + 1], "%ux%u", &onlyWidth, &onlyHeight) != 2) {
            onlyWidth = onlyHeight = 0;
        }
    }
    // Two minutes of the drive to warm up, then ten minutes of steady turns.
    constexpr uint32_t kWarmupTurns = 240;
    constexpr uint32_t kSteadyTurns = 1200;
    for (const auto& [width, height] : {std::pair<uint32_t, uint32_t>{320, 240}, {480, 272}}) {
        if (onlyWidth == 0 || (width == onlyWidth && height == onlyHeight)) {
            printScreen(runScreen(width, height, kWarmupTurns, kSteadyTurns));
        }
    }
    printDecoder(quick ? 2 : 20);
    if (replay) {
        printReplay();
    }
    return 0;
}
