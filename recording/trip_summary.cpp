#include "recording/trip_summary.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <locale>
#include <sstream>

#include "app/card_file.h"
#include "platform/platform.h"
#include "position/time_text.h"

namespace kelvaro {

namespace {

constexpr const char* kSummaryFile = "/mnt/sdcard/kelvaro/tripsummary.log";
constexpr int32_t kStartCaption = 5;
constexpr int32_t kEndCaption = 6;

// "30/06/2024 00:56:00": the UTC date beside the local time of day.
std::string dateAndLocalTime(const FixTime& time, double gmtoffset) {
    return formatDate(time.year, time.month, time.day) + " " +
           formatTime(time.hour, time.minute, time.second, static_cast<float>(gmtoffset), true);
}

// Whole days are folded into the hours: "26:03:09".
std::string hoursMinutesSeconds(const FixTime& time) {
    char text[48];
    std::snprintf(text, sizeof text, "%d:%02d:%02d",
                  static_cast<int>(static_cast<int64_t>(time.day) * 24 + time.hour),
                  static_cast<int>(time.minute), static_cast<int>(time.second));
    return text;
}

}  // namespace

std::string tripSummaryLine(const TripStats& trip, const Settings& settings,
                            const LanguageTexts& texts) {
    char distance[64];
    std::snprintf(distance, sizeof distance, "%5.1f", trip.tripDistance / 1000.0);

    std::ostringstream line;
    // Doubles in the stream's default form (six significant digits), whatever the locale.
    line.imbue(std::locale::classic());
    line << dateAndLocalTime(trip.now, settings.gmtoffset) << ','
         << dateAndLocalTime(trip.tripStart, settings.gmtoffset) << ','
         << hoursMinutesSeconds(trip.elapsed) << ',' << hoursMinutesSeconds(trip.moving) << ','
         << trip.startLon << ',' << trip.startLat << ',' << text(texts, kStartCaption) << ','
         << trip.lon << ',' << trip.lat << ',' << text(texts, kEndCaption) << ',' << distance << ','
         << trip.minSpeed << ',' << settings.maxspeedvalue << ',' << trip.averageSpeed << ','
         << trip.movingAverageSpeed << '\n';
    return line.str();
}

void appendTripSummary(const TripStats& trip, const Settings& settings,
                       const LanguageTexts& texts) {
    const std::string line = tripSummaryLine(trip, settings, texts);
    cutToWholeRecords(platform::devicePath(kSummaryFile), {});
    // Non-blocking so that a FIFO in the file's place fails instead of waiting for a reader.
    const int fd = platform::openFile(platform::devicePath(kSummaryFile),
                                      O_WRONLY | O_CREAT | O_APPEND | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        return;
    }
    // A full card that takes part of the line gets none of it, or the next run's line would
    // be glued to it.
    if (appendRecord(fd, line)) {
        platform::syncFile(fd);
    }
    ::close(fd);
}

}  // namespace kelvaro
