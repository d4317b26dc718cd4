#include "tools/kelvaro-report/log_text.h"

#include <charconv>
#include <cmath>

#include "position/trip_stats.h"
#include "tools/kelvaro-report/log_readers.h"

namespace kelvaro::report {

std::vector<std::string_view> linesOf(std::string_view text, bool* lastOpen) {
    std::vector<std::string_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        const bool open = end == std::string_view::npos;
        if (open) {
            end = text.size();
        }
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        lines.push_back(line);
        start = end + 1;
    }
    if (lastOpen != nullptr) {
        *lastOpen = !text.empty() && text.back() != '\n';
    }
    return lines;
}

std::optional<double> numberOf(std::string_view text) {
    double value = 0.0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<int64_t> integerOf(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || at != end) {
        return std::nullopt;
    }
    return value;
}

std::optional<double> numberBeforeUnit(std::string_view text) {
    const size_t blank = text.find(' ');
    if (blank == std::string_view::npos || blank + 1 == text.size()) {
        return std::nullopt;
    }
    return numberOf(text.substr(0, blank));
}

std::optional<std::string_view> elementText(std::string_view line, std::string_view tag) {
    const std::string open = "<" + std::string(tag) + ">";
    const std::string close = "</" + std::string(tag) + ">";
    const size_t start = line.find(open);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t from = start + open.size();
    const size_t end = line.find(close, from);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return line.substr(from, end - from);
}

std::optional<std::string_view> attributeText(std::string_view line, std::string_view name) {
    const std::string key = " " + std::string(name) + "=\"";
    const size_t start = line.find(key);
    if (start == std::string_view::npos) {
        return std::nullopt;
    }
    const size_t from = start + key.size();
    const size_t end = line.find('"', from);
    if (end == std::string_view::npos) {
        return std::nullopt;
    }
    return line.substr(from, end - from);
}

std::string xmlUnescaped(std::string_view text) {
    static const std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        bool replaced = false;
        if (text[i] == '&') {
            for (const auto& [entity, character] : kEntities) {
                if (text.substr(i, entity.size()) == entity) {
                    out += character;
                    i += entity.size() - 1;
                    replaced = true;
                    break;
                }
            }
        }
        if (!replaced) {
            out += text[i];
        }
    }
    return out;
}

int64_t utcSecondsOf(int64_t year, int64_t month, int64_t day, int64_t secondOfDay) {
    // Days from the civil date, counted in eras of 400 years that begin on 1 March.
    year -= month <= 2 ? 1 : 0;
    const int64_t era = (year >= 0 ? year : year - 399) / 400;
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    const int64_t days = era * 146097 + dayOfEra - 719468;
    return days * 86400 + secondOfDay;
}

namespace {

std::optional<int64_t> digits(std::string_view text, size_t at, size_t count) {
    if (at + count > text.size()) {
        return std::nullopt;
    }
    int64_t value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9') {
            return std::nullopt;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

}  // namespace

std::optional<int64_t> isoUtcSeconds(std::string_view text) {
    // 2024-06-12T07:42:10Z
    if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
        return std::nullopt;
    }
    const auto year = digits(text, 0, 4);
    const auto month = digits(text, 5, 2);
    const auto day = digits(text, 8, 2);
    const auto clock = clockSeconds(text.substr(11, 8));
    if (!year || !month || !day || !clock || *month < 1 || *month > 12 || *day < 1 || *day > 31) {
        return std::nullopt;
    }
    return utcSecondsOf(*year, *month, *day, *clock);
}

std::optional<int32_t> clockSeconds(std::string_view text) {
    if (text.size() != 8 || text[2] != ':' || text[5] != ':') {
        return std::nullopt;
    }
    const auto hour = digits(text, 0, 2);
    const auto minute = digits(text, 3, 2);
    const auto second = digits(text, 6, 2);
    if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 60) {
        return std::nullopt;
    }
    return static_cast<int32_t>(*hour * 3600 + *minute * 60 + *second);
}

std::vector<std::string_view> piecesOf(std::string_view text, std::string_view separator) {
    std::vector<std::string_view> pieces;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(text.substr(start));
            return pieces;
        }
        pieces.push_back(text.substr(start, at - start));
        start = at + separator.size();
    }
}

bool plausiblePoint(const LoggedPoint& p) {
    // Far beyond any vehicle and any height a receiver reports; only garbage is past them.
    constexpr double kFastestKmh = 100000.0;
    constexpr double kHighestMetres = 1000000.0;
    return std::abs(p.lat) <= 90.0 && std::abs(p.lon) <= 180.0 &&
           (!p.hasSpeed || std::abs(p.speedKmh) <= kFastestKmh) &&
           (!p.hasAltitude || std::abs(p.altitudeMetres) <= kHighestMetres);
}

void readPointLines(std::string_view text, std::string_view header, LineReader readLine,
                    const Settings& settings, TrackLog* log) {
    bool lastOpen = false;
    const std::vector<std::string_view> lines = linesOf(text, &lastOpen);
    bool allSpeeds = true;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (line.empty() || (!header.empty() && line.substr(0, header.size()) == header)) {
            continue;
        }
        if (lastOpen && i + 1 == lines.size()) {
            log->cutOff = true;
            break;
        }
        LoggedPoint point;
        if (!readLine(line, settings, &point) || !plausiblePoint(point)) {
            log->damagedRecords += 1;
            continue;
        }
        if (log->points.size() == kMostPoints) {
            log->tooLarge = true;
            break;
        }
        allSpeeds = allSpeeds && point.hasSpeed;
        log->points.push_back(std::move(point));
    }
    log->speedsLogged = allSpeeds && !log->points.empty();
}

double speedFactor(Units units) {
    return displayUnitFactor(units);
}

double altitudeFactor(Units units) {
    return units == Units::English ? kFeetPerMetre : 1.0;
}

namespace {

std::string_view unitWordOf(std::string_view figure) {
    const size_t blank = figure.find(' ');
    return blank == std::string_view::npos ? std::string_view() : figure.substr(blank + 1);
}

}  // namespace

Units altitudeUnitsOf(std::string_view figure, Units card) {
    const std::string_view word = unitWordOf(figure);
    if (word == "m") {
        return Units::Metric;  // nautic altitudes too are metres
    }
    return word == "ft" ? Units::English : card;
}

Units speedUnitsOf(std::string_view figure, Units card) {
    const std::string_view word = unitWordOf(figure);
    if (word == "km/h") {
        return Units::Metric;
    }
    if (word == "mph") {
        return Units::English;
    }
    return word == "kn" || word == "nd" ? Units::Nautic : card;
}

}  // namespace kelvaro::report
