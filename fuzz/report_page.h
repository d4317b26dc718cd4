// Any bytes as one of the card's files for the report: the reader stays within its bounds
// and orders the times, and the page made of what it read is whole, one line of markup per
// picture, with no control character in it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tools/kelvaro-report/card.h"
#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/page.h"

namespace kelvaro::report {

inline void require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// The first byte picks the card's units, offset from UTC and log period.
inline Settings fuzzSettings(const uint8_t*& data, size_t& size) {
    Settings settings;
    if (size > 0) {
        settings.units = static_cast<Units>(data[0] % 3);
        settings.gmtoffset = static_cast<double>(data[0] % 27) - 13.0;
        settings.trackperiod = data[0] / 27 * 10;
        ++data;
        --size;
    }
    return settings;
}

inline void checkPage(const ReportInput& input) {
    const std::string page = reportPage(input);
    require(page.size() >= 8 && page.compare(page.size() - 8, 8, "</html>\n") == 0);
    size_t opened = 0;
    size_t closed = 0;
    for (size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at + 1)) {
        ++opened;
    }
    for (size_t at = page.find("</svg>"); at != std::string::npos;
         at = page.find("</svg>", at + 1)) {
        ++closed;
    }
    require(opened == closed);
    for (const char c : page) {
        require(c == '\n' || static_cast<unsigned char>(c) >= 0x20);
    }
}

inline int fuzzLog(LogFormat format, const uint8_t* data, size_t size) {
    ReportInput input;
    input.settings = fuzzSettings(data, size);
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    input.logs.push_back(readTrackLog(format, text, input.settings));
    finishLogs(&input);
    const TrackLog& log = input.logs.front();
    require(log.points.size() <= kMostPoints);
    for (size_t i = 0; i < log.points.size(); ++i) {
        const LoggedPoint& p = log.points[i];
        require(p.localSecondOfDay >= 0 && p.localSecondOfDay < 86400);
        require(i == 0 ? p.seconds == 0 : p.seconds >= log.points[i - 1].seconds);
    }
    checkPage(input);
    return 0;
}

}  // namespace kelvaro::report
