#include "tools/make-drive/drive.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "position/geodesy.h"

namespace kelvaro::drive {

const char kRouteFormat[] =
    "A route file has one directive a line; '#' starts a comment.\n"
    "  date YYYY-MM-DD       GPS date of the first second (UTC), 2000-2099; default 2024-06-12\n"
    "  time HH:MM:SS         UTC time of the first second; default 08:00:00\n"
    "  seed N                seed of the jitter, satellite and speed noise; default 1\n"
    "  geoid METRES          geoid separation written in GGA; default 48.0\n"
    "  accel M/S2            acceleration and braking; default 1.5\n"
    "  duration SECONDS      cut the log after this many seconds; default: the whole route\n"
    "  start LAT LON ALT     where the drive begins (decimal degrees, south and west\n"
    "                        negative; metres above sea level); required before the steps\n"
    "  go LAT LON KMH [ALT]  drive straight to the point at up to KMH, slowing for corners\n"
    "                        and for a lower next speed; the altitude changes evenly to ALT\n"
    "  stop SECONDS          brake to a halt and stand, the written position wandering by\n"
    "                        up to half a metre (inside the 1/100000 degree the program\n"
    "                        resolves, so that standing adds no distance)\n"
    "  nofix SECONDS         from here the receiver has no fix for SECONDS (GGA quality 0,\n"
    "                        RMC status V) while the drive goes on\n"
    "The drive brakes to a halt at the end of the route.\n";

namespace {

constexpr double kEarthRadiusMetres = kMetresPerDegree * 180.0 / kPi;
constexpr int64_t kTicksPerSecond = 20;
constexpr double kTickSeconds = 1.0 / kTicksPerSecond;
constexpr double kCrawlMps = 0.3;  // the least speed that still reaches a stop line
constexpr double kKnotsPerMps = 3600.0 / 1852.0;
constexpr int64_t kSecondsPerDay = 86400;
// The feed reader keeps positions in cells of 1/100000 degree. A standing car's wander
// stays inside one, so that standing adds no distance: the step of the mean-reverting
// walk (x 0.8 a second) is at most this share of a cell, which bounds the wander to
// five times it, 0.35 of a cell, plus the 1/10000 minute of the written text.
constexpr double kCellDegrees = 1e-5;
constexpr double kWanderShare = 0.07;

// splitmix64: small, well mixed, and the same sequence on every machine.
struct Prng {
    uint64_t state = 0;
};

uint64_t nextRandom(Prng& prng) {
    uint64_t z = (prng.state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double uniform(Prng& prng, double low, double high) {
    return low + (high - low) * static_cast<double>(nextRandom(prng) >> 11) * 0x1.0p-53;
}

struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

double radians(double degrees) {
    return degrees * kPi / 180.0;
}
double degrees(double radians) {
    return radians * 180.0 / kPi;
}

double metresBetween(LatLon a, LatLon b) {
    const double dLat = radians(b.lat - a.lat);
    const double dLon = radians(b.lon - a.lon);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(radians(a.lat)) * std::cos(radians(b.lat)) * std::sin(dLon / 2) *
                         std::sin(dLon / 2);
    return 2.0 * kEarthRadiusMetres * std::asin(std::min(1.0, std::sqrt(h)));
}

// Initial great-circle course from a to b, 0-360 degrees.
double courseTo(LatLon a, LatLon b) {
    const double y = std::sin(radians(b.lon - a.lon)) * std::cos(radians(b.lat));
    const double x =
        std::cos(radians(a.lat)) * std::sin(radians(b.lat)) -
        std::sin(radians(a.lat)) * std::cos(radians(b.lat)) * std::cos(radians(b.lon - a.lon));
    const double course = std::fmod(degrees(std::atan2(y, x)) + 360.0, 360.0);
    return course;
}

// The point a fraction of the way from a to b along the great circle.
LatLon alongArc(LatLon a, LatLon b, double fraction) {
    const double arc = metresBetween(a, b) / kEarthRadiusMetres;
    if (arc < 1e-12) {
        return b;
    }
    const double wa = std::sin((1.0 - fraction) * arc) / std::sin(arc);
    const double wb = std::sin(fraction * arc) / std::sin(arc);
    const double la = radians(a.lat), oa = radians(a.lon);
    const double lb = radians(b.lat), ob = radians(b.lon);
    const double x = wa * std::cos(la) * std::cos(oa) + wb * std::cos(lb) * std::cos(ob);
    const double y = wa * std::cos(la) * std::sin(oa) + wb * std::cos(lb) * std::sin(ob);
    const double z = wa * std::sin(la) + wb * std::sin(lb);
    return LatLon{degrees(std::atan2(z, std::hypot(x, y))), degrees(std::atan2(y, x))};
}

LatLon offsetMetres(LatLon p, double east, double north) {
    return LatLon{p.lat + degrees(north / kEarthRadiusMetres),
                  p.lon + degrees(east / (kEarthRadiusMetres * std::cos(radians(p.lat))))};
}

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian calendar).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int32_t& year, int32_t& month, int32_t& day) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = static_cast<int32_t>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int32_t>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int32_t>(yoe + era * 400 + (month <= 2));
}

// "ddmm.mmmm" or "dddmm.mmmm" from decimal degrees, rounded to 1/10000 minute.
std::string nmeaAngle(double value, int degreeDigits) {
    const int64_t units = std::llround(std::fabs(value) * 60.0 * 10000.0);
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld%02lld.%04lld", degreeDigits,
                  static_cast<long long>(units / 600000),
                  static_cast<long long>(units / 10000 % 60),
                  static_cast<long long>(units % 10000));
    return text;
}

struct Vehicle {
    LatLon position;
    double altitude = 0.0;
    double speedMps = 0.0;
    double course = 0.0;
};

struct Generator {
    explicit Generator(const Route& r) : route(r) {}
    const Route& route;
    Prng prng;
    std::string log;
    int64_t tick = 0;
    int64_t firstDay = 0;
    std::vector<std::pair<int64_t, int64_t>> losses;  // [from, to) in seconds of the log
    int32_t satellites = 9;
    double speedWobble = 0.0;  // the driver's drift around the cruising speed, a fraction
    double jitterEast = 0.0;   // metres
    double jitterNorth = 0.0;
    bool done = false;
};

bool inLoss(const Generator& g, int64_t second) {
    for (const auto& [from, to] : g.losses) {
        if (second >= from && second < to) {
            return true;
        }
    }
    return false;
}

void appendSentence(Generator& g, const char* format, ...) __attribute__((format(printf, 2, 3)));
void appendSentence(Generator& g, const char* format, ...) {
    char body[160];
    va_list args;
    va_start(args, format);
    std::vsnprintf(body, sizeof body, format, args);
    va_end(args);
    g.log += withChecksum(body);
    g.log += "\r\n";
}

// The three sentences of the current second.
void writeSecond(Generator& g, const Vehicle& v, bool standing) {
    const int64_t second = g.tick / kTicksPerSecond;
    if (g.route.durationSeconds > 0 && second >= g.route.durationSeconds) {
        g.done = true;
        return;
    }
    const int64_t absolute = g.route.startSecondOfDay + second;
    int32_t year = 0, month = 0, day = 0;
    civilFromDays(g.firstDay + absolute / kSecondsPerDay, year, month, day);
    const int64_t ofDay = absolute % kSecondsPerDay;
    char time[16];
    std::snprintf(time, sizeof time, "%02d%02d%02d.00", static_cast<int>(ofDay / 3600),
                  static_cast<int>(ofDay / 60 % 60), static_cast<int>(ofDay % 60));
    char date[8];
    std::snprintf(date, sizeof date, "%02d%02d%02d", day, month, year % 100);

    if (uniform(g.prng, 0.0, 1.0) < 0.04) {
        g.satellites = std::clamp(g.satellites + (uniform(g.prng, 0.0, 1.0) < 0.5 ? -1 : 1), 6, 11);
    }
    // Standing, the reported position wanders about the cell centre it was settled on,
    // never leaving the cell; moving, the wander dies away.
    if (standing) {
        const double cellNorth = kCellDegrees * kPi / 180.0 * kEarthRadiusMetres;
        const double cellEast = cellNorth * std::cos(radians(v.position.lat));
        g.jitterEast = 0.8 * g.jitterEast + uniform(g.prng, -1.0, 1.0) * kWanderShare * cellEast;
        g.jitterNorth = 0.8 * g.jitterNorth + uniform(g.prng, -1.0, 1.0) * kWanderShare * cellNorth;
    } else {
        g.jitterEast *= 0.5;
        g.jitterNorth *= 0.5;
    }
    const double altitudeNoise = uniform(g.prng, -0.3, 0.3);
    const double standingKmh = uniform(g.prng, 0.0, 0.2);

    if (inLoss(g, second)) {
        const int inView = static_cast<int>(uniform(g.prng, 0.0, 3.999));
        appendSentence(g, "GPGGA,%s,,,,,0,%02d,99.99,,,,,,", time, inView);
        appendSentence(g, "GPRMC,%s,V,,,,,,,%s,,,N", time, date);
        appendSentence(g, "GPVTG,,T,,M,,N,,K,N");
        return;
    }
    const LatLon reported = offsetMetres(v.position, g.jitterEast, g.jitterNorth);
    const double kmh = standing ? standingKmh : v.speedMps * 3.6;
    const double hdop = 0.7 + 0.1 * (11 - g.satellites) + uniform(g.prng, 0.0, 0.2);
    const std::string lat = nmeaAngle(reported.lat, 2);
    const std::string lon = nmeaAngle(reported.lon, 3);
    const char ns = reported.lat < 0 ? 'S' : 'N';
    const char ew = reported.lon < 0 ? 'W' : 'E';
    appendSentence(g, "GPGGA,%s,%s,%c,%s,%c,1,%02d,%.1f,%.1f,M,%.1f,M,,", time, lat.c_str(), ns,
                   lon.c_str(), ew, g.satellites, hdop, v.altitude + altitudeNoise,
                   g.route.geoidSeparation);
    appendSentence(g, "GPRMC,%s,A,%s,%c,%s,%c,%.2f,%.2f,%s,,,A", time, lat.c_str(), ns, lon.c_str(),
                   ew, kmh / 3.6 * kKnotsPerMps, v.course, date);
    appendSentence(g, "GPVTG,%.2f,T,,M,%.2f,N,%.2f,K,A", v.course, kmh / 3.6 * kKnotsPerMps, kmh);
}

// One tick of time; the second's sentences are written when it is complete.
void tickOnce(Generator& g, const Vehicle& v, bool standing) {
    ++g.tick;
    if (g.tick % kTicksPerSecond == 0) {
        writeSecond(g, v, standing);
    }
}

// The highest speed allowed through the corner from one course to the next: straight on
// is free, a right angle or sharper is taken at 15 km/h.
double cornerLimitMps(double courseIn, double courseOut) {
    double turn = std::fabs(std::fmod(courseOut - courseIn + 540.0, 360.0) - 180.0);
    if (turn <= 15.0) {
        return 1e9;
    }
    turn = std::min(turn, 90.0);
    return (130.0 - (turn - 15.0) / 75.0 * 115.0) / 3.6;
}

// The speed at which the leg starting at `from` (a Go step) must end.
double endSpeedMps(const Route& route, size_t from, LatLon start) {
    const Step& leg = route.steps[from];
    const LatLon end{leg.lat, leg.lon};
    for (size_t i = from + 1; i < route.steps.size(); ++i) {
        const Step& next = route.steps[i];
        if (next.kind == Step::Kind::NoFix) {
            continue;
        }
        if (next.kind == Step::Kind::Stop) {
            return 0.0;
        }
        const double courseIn = courseTo(alongArc(start, end, 0.99), end);
        const double courseOut = courseTo(end, LatLon{next.lat, next.lon});
        return std::min(
            {leg.speedKmh / 3.6, next.speedKmh / 3.6, cornerLimitMps(courseIn, courseOut)});
    }
    return 0.0;
}

void driveLeg(Generator& g, Vehicle& v, size_t index, double& carriedMetres) {
    const Step& leg = g.route.steps[index];
    const LatLon start = v.position;
    const LatLon end{leg.lat, leg.lon};
    const double length = metresBetween(start, end);
    const double startAltitude = v.altitude;
    const double endAltitude = leg.hasAltitude ? leg.altitudeMetres : v.altitude;
    const double endSpeed = endSpeedMps(g.route, index, start);
    const double a = g.route.accelerationMps2;
    double covered = carriedMetres;
    carriedMetres = 0.0;
    while (!g.done && covered < length) {
        if (g.tick % kTicksPerSecond == 0) {
            g.speedWobble = std::clamp(g.speedWobble + uniform(g.prng, -0.004, 0.004), -0.03, 0.03);
        }
        const double cruise = leg.speedKmh / 3.6 * (1.0 + g.speedWobble);
        const double brakeLimit = std::sqrt(endSpeed * endSpeed + 2.0 * a * (length - covered));
        const double wanted = std::min(cruise, brakeLimit);
        v.speedMps = v.speedMps < wanted ? std::min(v.speedMps + a * kTickSeconds, wanted)
                                         : std::max(v.speedMps - a * kTickSeconds, wanted);
        v.speedMps = std::max(v.speedMps, kCrawlMps);
        covered += v.speedMps * kTickSeconds;
        const double fraction = std::min(covered / length, 1.0);
        v.position = alongArc(start, end, fraction);
        v.altitude = startAltitude + (endAltitude - startAltitude) * fraction;
        if (fraction < 1.0) {
            v.course = courseTo(v.position, end);
        }
        tickOnce(g, v, false);
    }
    if (covered > length) {
        carriedMetres = covered - length;
    }
}

// Moves the standing car (by at most 0.6 m) to the centre of its cell; truncation toward
// zero makes the cell of x run from trunc(x) away from zero.
void settle(Vehicle& v) {
    const auto centre = [](double x) {
        return (std::trunc(x / kCellDegrees) + (x < 0 ? -0.5 : 0.5)) * kCellDegrees;
    };
    v.position = LatLon{centre(v.position.lat), centre(v.position.lon)};
    v.speedMps = 0.0;
}

void standStill(Generator& g, Vehicle& v, int64_t seconds) {
    settle(v);
    for (int64_t i = 0; i < seconds * kTicksPerSecond && !g.done; ++i) {
        tickOnce(g, v, true);
    }
}

bool parseNumber(const std::string& word, double& out) {
    char* end = nullptr;
    out = std::strtod(word.c_str(), &end);
    return !word.empty() && *end == '\0' && std::isfinite(out);
}

bool parseCount(const std::string& word, int64_t low, int64_t high, int64_t& out) {
    char* end = nullptr;
    const long long value = std::strtoll(word.c_str(), &end, 10);
    if (word.empty() || *end != '\0' || value < low || value > high) {
        return false;
    }
    out = value;
    return true;
}

bool parsePoint(const std::vector<std::string>& words, double& lat, double& lon) {
    return parseNumber(words[1], lat) && parseNumber(words[2], lon) && std::fabs(lat) <= 89.0 &&
           std::fabs(lon) <= 180.0;
}

bool validDate(int32_t y, int32_t m, int32_t d) {
    if (y < 2000 || y > 2099 || m < 1 || m > 12 || d < 1) {
        return false;
    }
    int32_t ny = 0, nm = 0, nd = 0;
    civilFromDays(daysFromCivil(y, m, d), ny, nm, nd);
    return ny == y && nm == m && nd == d;
}

// One directive; false with `error` set when it is malformed.
bool parseDirective(const std::vector<std::string>& w, Route& route, std::string& error) {
    const std::string& verb = w[0];
    const size_t args = w.size() - 1;
    int64_t count = 0;
    if (verb == "date" && args == 1) {
        int y = 0, m = 0, d = 0;
        char tail = 0;
        if (std::sscanf(w[1].c_str(), "%4d-%2d-%2d%c", &y, &m, &d, &tail) == 3 &&
            validDate(y, m, d)) {
            route.year = y;
            route.month = m;
            route.day = d;
            return true;
        }
        error = "date must be YYYY-MM-DD between 2000 and 2099";
    } else if (verb == "time" && args == 1) {
        int h = 0, m = 0, s = 0;
        char tail = 0;
        if (std::sscanf(w[1].c_str(), "%2d:%2d:%2d%c", &h, &m, &s, &tail) == 3 && h >= 0 &&
            h < 24 && m >= 0 && m < 60 && s >= 0 && s < 60) {
            route.startSecondOfDay = h * 3600 + m * 60 + s;
            return true;
        }
        error = "time must be HH:MM:SS";
    } else if (verb == "seed" && args == 1) {
        char* end = nullptr;
        route.seed = std::strtoull(w[1].c_str(), &end, 10);
        if (*end == '\0' && !w[1].empty() && w[1][0] != '-') {
            return true;
        }
        error = "seed must be a whole number";
    } else if (verb == "geoid" && args == 1) {
        if (parseNumber(w[1], route.geoidSeparation) && std::fabs(route.geoidSeparation) < 200) {
            return true;
        }
        error = "geoid must be metres between -200 and 200";
    } else if (verb == "accel" && args == 1) {
        if (parseNumber(w[1], route.accelerationMps2) && route.accelerationMps2 >= 0.3 &&
            route.accelerationMps2 <= 10.0) {
            return true;
        }
        error = "accel must be between 0.3 and 10 m/s2";
    } else if (verb == "duration" && args == 1) {
        if (parseCount(w[1], 1, 7 * kSecondsPerDay, count)) {
            route.durationSeconds = static_cast<int32_t>(count);
            return true;
        }
        error = "duration must be 1 to 604800 seconds";
    } else if (verb == "start" && args == 3) {
        if (!route.steps.empty() || route.hasStart) {
            error = "start must come once, before the steps";
        } else if (parsePoint(w, route.startLat, route.startLon) &&
                   parseNumber(w[3], route.startAltitude)) {
            route.hasStart = true;
            return true;
        } else {
            error = "start needs LAT LON ALT (|LAT| <= 89, |LON| <= 180)";
        }
    } else if (verb == "go" && (args == 3 || args == 4)) {
        Step step;
        if (!route.hasStart) {
            error = "go before start";
        } else if (parsePoint(w, step.lat, step.lon) && parseNumber(w[3], step.speedKmh) &&
                   step.speedKmh >= 2.0 && step.speedKmh <= 400.0 &&
                   (args == 3 || parseNumber(w[4], step.altitudeMetres))) {
            step.hasAltitude = args == 4;
            route.steps.push_back(step);
            return true;
        } else {
            error = "go needs LAT LON KMH [ALT] with KMH from 2 to 400";
        }
    } else if ((verb == "stop" || verb == "nofix") && args == 1) {
        Step step;
        step.kind = verb == "stop" ? Step::Kind::Stop : Step::Kind::NoFix;
        if (!route.hasStart) {
            error = verb + " before start";
        } else if (parseCount(w[1], 1, kSecondsPerDay, count)) {
            step.seconds = static_cast<int32_t>(count);
            route.steps.push_back(step);
            return true;
        } else {
            error = verb + " needs SECONDS from 1 to 86400";
        }
    } else {
        error = "unknown directive or wrong number of arguments: " + verb;
    }
    return false;
}

}  // namespace

std::string withChecksum(const std::string& body) {
    unsigned sum = 0;
    for (const char c : body) {
        sum ^= static_cast<unsigned char>(c);
    }
    char tail[4];
    std::snprintf(tail, sizeof tail, "*%02X", sum);
    return "$" + body + tail;
}

bool parseRoute(const std::string& text, Route& route, std::string& error) {
    route = Route{};
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::vector<std::string> w;
        for (std::string word; words >> word;) {
            w.push_back(word);
        }
        if (w.empty()) {
            continue;
        }
        if (!parseDirective(w, route, error)) {
            error = "line " + std::to_string(number) + ": " + error;
            return false;
        }
    }
    if (!route.hasStart) {
        error = "the route has no start";
        return false;
    }
    return true;
}

std::string writeDrive(const Route& route) {
    Generator g(route);
    g.prng.state = route.seed;
    g.firstDay = daysFromCivil(route.year, route.month, route.day);
    Vehicle v;
    v.position = LatLon{route.startLat, route.startLon};
    v.altitude = route.startAltitude;
    for (const Step& step : route.steps) {
        if (step.kind == Step::Kind::Go) {
            v.course = courseTo(v.position, LatLon{step.lat, step.lon});
            break;
        }
    }
    settle(v);
    writeSecond(g, v, true);
    double carried = 0.0;
    for (size_t i = 0; i < route.steps.size() && !g.done; ++i) {
        const Step& step = route.steps[i];
        switch (step.kind) {
            case Step::Kind::Go:
                driveLeg(g, v, i, carried);
                break;
            case Step::Kind::Stop:
                carried = 0.0;
                standStill(g, v, step.seconds);
                break;
            case Step::Kind::NoFix: {
                // The current second is written or under way; the loss starts with the next.
                const int64_t from = g.tick / kTicksPerSecond + 1;
                g.losses.emplace_back(from, from + step.seconds);
                break;
            }
        }
    }
    // Halt, and finish the second the route ended in.
    v.speedMps = 0.0;
    while (!g.done && g.tick % kTicksPerSecond != 0) {
        tickOnce(g, v, true);
    }
    return g.log;
}

}  // namespace kelvaro::drive
