// An NMEA log holds, for each point, the last sentences of the receiver as they came:
// $GPRMC,074210.00,A,4759.8473,N,00750.4309,E,0.02,24.53,120624,,,A*64
// $GPGGA,074210.00,4759.8473,N,00750.4309,E,1,09,1.0,276.0,M,49.5,M,,*64
// $GPVTG,24.53,T,,M,0.02,N,0.03,K,A*0C
#include <algorithm>
#include <string>
#include <vector>

#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {

namespace {

constexpr double kKmhPerKnot = 1.852;

// The fields after the sentence name, when the checksum (if there is one) holds.
bool sentenceFields(std::string_view line, std::vector<std::string_view>* fields) {
    if (line.size() < 7 || line[0] != '$') {
        return false;
    }
    std::string_view body = line.substr(1);
    const size_t star = body.find('*');
    if (star != std::string_view::npos) {
        const auto given = [&]() -> int {
            if (star + 3 != body.size()) {
                return -1;
            }
            int value = 0;
            for (const char c : body.substr(star + 1)) {
                const int digit = c >= '0' && c <= '9'   ? c - '0'
                                  : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                  : c >= 'a' && c <= 'f' ? c - 'a' + 10
                                                         : -1;
                if (digit < 0) {
                    return -1;
                }
                value = value * 16 + digit;
            }
            return value;
        }();
        body = body.substr(0, star);
        unsigned char sum = 0;
        for (const char c : body) {
            sum ^= static_cast<unsigned char>(c);
        }
        if (given != sum) {
            return false;
        }
    }
    *fields = piecesOf(body, ",");
    return true;
}

// "4759.8473" with "N" as 47.99745...; nothing for an empty or bad field.
std::optional<double> angleOf(std::string_view value, std::string_view hemisphere,
                              size_t degreeDigits) {
    if (value.size() < degreeDigits + 2) {
        return std::nullopt;
    }
    const auto degrees = integerOf(value.substr(0, degreeDigits));
    const auto minutes = numberOf(value.substr(degreeDigits));
    if (!degrees || !minutes || *degrees < 0 || *minutes < 0.0 || *minutes >= 60.0) {
        return std::nullopt;
    }
    const double angle = static_cast<double>(*degrees) + *minutes / 60.0;
    if (hemisphere == "S" || hemisphere == "W") {
        return -angle;
    }
    if (hemisphere == "N" || hemisphere == "E") {
        return angle;
    }
    return std::nullopt;
}

// "074210.00" as seconds of the day.
std::optional<int32_t> utcClock(std::string_view text) {
    if (text.size() < 6) {
        return std::nullopt;
    }
    const std::string clock = std::string(text.substr(0, 2)) + ":" +
                              std::string(text.substr(2, 2)) + ":" + std::string(text.substr(4, 2));
    return clockSeconds(clock);
}

struct Pending {
    bool rmc = false;
    bool gga = false;
    bool vtg = false;
    bool positioned = false;
    bool dated = false;
    int64_t day = 0;  // days since 1970 of the RMC date
    int32_t clock = 0;
    bool clocked = false;
    LoggedPoint point;
};

void takeRmc(const std::vector<std::string_view>& f, Pending& p) {
    // RMC,time,status,lat,N,lon,E,knots,course,date
    if (f.size() < 10 || f[2] != "A") {
        return;
    }
    const auto lat = angleOf(f[3], f[4], 2);
    const auto lon = angleOf(f[5], f[6], 3);
    const auto clock = utcClock(f[1]);
    if (lat && lon && !p.positioned) {
        p.point.lat = *lat;
        p.point.lon = *lon;
        p.positioned = true;
    }
    if (clock) {
        p.clock = *clock;
        p.clocked = true;
    }
    const auto date = integerOf(f[9]);
    if (date && f[9].size() == 6 && *date / 10000 >= 1 && *date / 100 % 100 >= 1 &&
        *date / 100 % 100 <= 12) {
        p.day = utcSecondsOf(2000 + *date % 100, *date / 100 % 100, *date / 10000, 0) / 86400;
        p.dated = true;
    }
    const auto knots = numberOf(f[7]);
    if (knots && !p.point.hasSpeed) {
        p.point.hasSpeed = true;
        p.point.speedKmh = *knots * kKmhPerKnot;
    }
}

void takeGga(const std::vector<std::string_view>& f, const Settings& settings, Pending& p) {
    // GGA,time,lat,N,lon,E,quality,satellites,hdop,altitude
    if (f.size() < 10 || f[6].empty() || f[6] == "0") {
        return;
    }
    const auto lat = angleOf(f[2], f[3], 2);
    const auto lon = angleOf(f[4], f[5], 3);
    if (lat && lon && !p.positioned) {
        p.point.lat = *lat;
        p.point.lon = *lon;
        p.positioned = true;
    }
    const auto clock = utcClock(f[1]);
    if (clock && !p.clocked) {
        p.clock = *clock;
        p.clocked = true;
    }
    if (const auto altitude = numberOf(f[9])) {
        p.point.hasAltitude = true;
        p.point.altitudeMetres =
            *altitude - (settings.geoidCorrection ? settings.geoidSeparation : 0);
    }
}

void takeVtg(const std::vector<std::string_view>& f, Pending& p) {
    // VTG,course,T,,M,knots,N,kmh,K: the km/h are the receiver's own
    if (f.size() < 8) {
        return;
    }
    if (const auto kmh = numberOf(f[7])) {
        p.point.hasSpeed = true;
        p.point.speedKmh = *kmh;
    }
}

}  // namespace

TrackLog readNmea(std::string_view text, const Settings& settings) {
    TrackLog log;
    log.format = LogFormat::Nmea;
    log.speedsLogged = true;
    bool lastOpen = false;
    const std::vector<std::string_view> lines = linesOf(text, &lastOpen);
    Pending pending;
    int64_t lastDay = 0;
    bool knowDay = false;
    const auto emit = [&]() {
        if (pending.positioned && pending.clocked && !plausiblePoint(pending.point)) {
            log.damagedRecords += 1;
        } else if (pending.positioned && pending.clocked && log.points.size() < kMostPoints) {
            if (pending.dated) {
                lastDay = pending.day;
                knowDay = true;
            }
            LoggedPoint point = pending.point;
            // A GGA alone has no date: it is taken from the point before.
            point.hasUtc = knowDay;
            point.utcSeconds = lastDay * 86400 + pending.clock;
            point.localSecondOfDay = pending.clock;
            log.altitudesLogged = log.altitudesLogged || point.hasAltitude;
            log.points.push_back(std::move(point));
        } else if (pending.positioned && pending.clocked) {
            log.tooLarge = true;
        }
        pending = Pending{};
    };
    std::vector<std::string_view> f;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].empty()) {
            continue;
        }
        if (lastOpen && i + 1 == lines.size()) {
            log.cutOff = true;
            break;
        }
        if (!sentenceFields(lines[i], &f)) {
            log.damagedRecords += 1;
            continue;
        }
        const std::string_view name = f[0].size() == 5 ? f[0].substr(2) : std::string_view();
        bool* seen = name == "RMC"   ? &pending.rmc
                     : name == "GGA" ? &pending.gga
                     : name == "VTG" ? &pending.vtg
                                     : nullptr;
        if (seen == nullptr) {
            continue;
        }
        // Each point's sentences come in the order RMC, GGA, VTG: a repeated one, or an RMC
        // after others, begins the next point.
        if (*seen || (name == "RMC" && (pending.gga || pending.vtg))) {
            emit();
            seen = name == "RMC" ? &pending.rmc : name == "GGA" ? &pending.gga : &pending.vtg;
        }
        *seen = true;
        if (name == "RMC") {
            takeRmc(f, pending);
        } else if (name == "GGA") {
            takeGga(f, settings, pending);
        } else {
            takeVtg(f, pending);
        }
    }
    emit();
    // Points before the first date (a GGA alone) take it, the day before when their clock is
    // later than its point's.
    const auto dated = std::find_if(log.points.begin(), log.points.end(),
                                    [](const LoggedPoint& p) { return p.hasUtc; });
    for (auto p = log.points.begin(); dated != log.points.end() && p != dated; ++p) {
        p->hasUtc = true;
        p->utcSeconds = dated->utcSeconds - dated->localSecondOfDay + p->localSecondOfDay -
                        (p->localSecondOfDay > dated->localSecondOfDay ? 86400 : 0);
    }
    return log;
}

}  // namespace kelvaro::report
