// Any bytes as a track point's label, a unit text of the language file and the figures of
// the trip. Whatever they hold, a point must stay one record: the XML texts hold no raw
// markup character, the CSV field no lone quote, the itinerary no "|", and each file of the
// log gains exactly the lines of one point.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/settings.h"
#include "fuzz/device_root.h"
#include "position/gps_feed.h"
#include "recording/track_log.h"
#include "recording/track_text.h"

namespace {

using kelvaro::fuzz::deviceRoot;

void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool hasControl(const std::string& text) {
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7f) {
            return true;
        }
    }
    return false;
}

void checkXml(const std::string& text) {
    require(!hasControl(text));
    require(text.find_first_of("<>\"") == std::string::npos);
    for (size_t at = text.find('&'); at != std::string::npos; at = text.find('&', at + 1)) {
        const std::string rest = text.substr(at);
        require(rest.rfind("&amp;", 0) == 0 || rest.rfind("&lt;", 0) == 0 ||
                rest.rfind("&gt;", 0) == 0 || rest.rfind("&quot;", 0) == 0);
    }
}

void checkCsv(const std::string& text) {
    require(!hasControl(text));
    size_t run = 0;
    for (const char c : text) {
        if (c == '"') {
            ++run;
        } else {
            require(run % 2 == 0);
            run = 0;
        }
    }
    require(run % 2 == 0);
}

size_t linesIn(const std::string& devicePath) {
    const std::string content = kelvaro::fuzz::hostFileText(deviceRoot() + devicePath);
    size_t lines = 0;
    for (const char c : content) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

template <typename T>
T take(const uint8_t*& data, size_t& size) {
    T value{};
    if (size >= sizeof value) {
        std::memcpy(&value, data, sizeof value);
        data += sizeof value;
        size -= sizeof value;
    }
    return value;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace kelvaro;
    fuzz::makeDeviceRoot("track", {"/mnt/sdcard/itn", "/mnt/sdcard/kelvaro"});
    const uint8_t choice = take<uint8_t>(data, size);
    TripStats trip;
    trip.now.year = take<int32_t>(data, size);
    trip.now.hour = take<int32_t>(data, size) % 100;
    trip.altitude = take<double>(data, size);
    trip.tripDistance = take<double>(data, size);
    trip.speed = take<int32_t>(data, size);
    gpsFix.speedKmh = take<double>(data, size);
    const int32_t longitude = take<int32_t>(data, size);
    const int32_t latitude = take<int32_t>(data, size);

    const std::string rest(reinterpret_cast<const char*>(data), size);
    const size_t split = rest.find('\0');
    const std::string label = rest.substr(0, split);
    const std::string unit = split == std::string::npos ? "" : rest.substr(split + 1, 63);

    checkXml(xmlText(label));
    checkCsv(csvText(label));
    require(itnText(label).find('|') == std::string::npos && !hasControl(itnText(label)));

    LanguageTexts texts;
    std::snprintf(texts.texts[46], kLanguageTextSize, "%s", unit.c_str());
    liveSettings = Settings{};
    liveSettings.units = static_cast<Units>(choice % 3);
    const TrackFormat formats[] = {TrackFormat::Csv, TrackFormat::Gpx, TrackFormat::Itn,
                                   TrackFormat::Kml};
    liveSettings.trackformat = formats[(choice / 3) % 4];
    liveSettings.logfilename = "fuzz" + trackLogExtension(liveSettings.trackformat);
    nameTrackLog(trip);
    const Records records = static_cast<Records>((choice / 12) % 3);
    // The heads first, so that the point adds only its own lines.
    beginTrackLog(trip, records);
    const bool isWaypoint = (choice & 0x80) != 0;
    const size_t mainBefore = linesIn(trip.logMainPath);
    const size_t waypointsBefore = linesIn(trip.logWaypointPath);
    const size_t trackBefore = linesIn(trip.logTrackPath);
    require(
        writeTrackPoint(trip, texts, TrackPoint{longitude, latitude, label, records, isWaypoint}));

    const bool kml = liveSettings.trackformat == TrackFormat::Kml;
    const bool gpx = liveSettings.trackformat == TrackFormat::Gpx;
    const size_t mainLines = gpx ? (isWaypoint ? 1 : 0) : 1;
    const size_t waypointLines = gpx ? (isWaypoint ? 1 : 0) : kml && isWaypoint ? 6 : 0;
    const size_t trackLines = gpx ? 1 : kml ? 7 : 0;
    require(linesIn(trip.logMainPath) == mainBefore + mainLines);
    if (gpx || kml) {
        require(linesIn(trip.logWaypointPath) == waypointsBefore + waypointLines);
        require(linesIn(trip.logTrackPath) == trackBefore + trackLines);
    }
    for (const std::string& path : {trip.logMainPath, trip.logWaypointPath, trip.logTrackPath}) {
        if (!path.empty()) {
            unlink((deviceRoot() + path).c_str());
        }
    }
    return 0;
}
