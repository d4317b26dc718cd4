// Any bytes as a configuration file. The reader must stay in bounds and free of undefined
// behaviour; what it makes of them must give the writer's 45 lines, and reading those back
// must give the same integers, keywords, flags and colours.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/settings.h"

namespace {

bool sameColours(const kelvaro::Rgb* a, const kelvaro::Rgb* b, int count) {
    return std::equal(a, a + count, b);
}

bool sameExactFields(const kelvaro::Settings& a, const kelvaro::Settings& b) {
    return a.processperiod == b.processperiod && a.trackperiod == b.trackperiod &&
           a.trackformat == b.trackformat && a.trackcourse == b.trackcourse &&
           a.tracksaving == b.tracksaving && a.units == b.units && a.colorscheme == b.colorscheme &&
           a.speedlimit == b.speedlimit && a.maxspeedvalue == b.maxspeedvalue &&
           a.compass == b.compass && a.records == b.records && a.coordinates == b.coordinates &&
           a.inclinometer == b.inclinometer && a.speedalarm == b.speedalarm &&
           std::equal(a.speedPresets, a.speedPresets + 4, b.speedPresets) &&
           a.speedPresetLead == b.speedPresetLead &&
           a.altitudeMessagePeriod == b.altitudeMessagePeriod &&
           a.alarmRepeatPeriod == b.alarmRepeatPeriod &&
           sameColours(a.topforegroundcolors, b.topforegroundcolors, 3) &&
           sameColours(a.bottomforegroundcolors, b.bottomforegroundcolors, 3) &&
           sameColours(a.topbackgroundcolors, b.topbackgroundcolors, 2) &&
           sameColours(a.bottombackgroundcolors, b.bottombackgroundcolors, 2) &&
           sameColours(a.linescolors, b.linescolors, 2) &&
           sameColours(a.labelcolors, b.labelcolors, 2) && a.snapping == b.snapping &&
           a.geoidCorrection == b.geoidCorrection && a.autologging == b.autologging &&
           a.maxspeeddisplay == b.maxspeeddisplay && a.altitudeMessages == b.altitudeMessages &&
           a.alarmRepeat == b.alarmRepeat;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kelvaro::Settings settings;
    kelvaro::readSettingsText(std::string_view(reinterpret_cast<const char*>(data), size),
                              settings);
    const std::string text = kelvaro::settingsText(settings);
    if (std::count(text.begin(), text.end(), '\n') != 45) {
        std::abort();
    }
    kelvaro::Settings back;
    kelvaro::readSettingsText(text, back);
    if (!sameExactFields(settings, back)) {
        std::abort();
    }
    return 0;
}
