// The drive generator: a route of points, speeds, stops and fix losses becomes the NMEA
// log a receiver in a car driving it would write, one GGA, RMC and VTG each second.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::drive {

struct Step {
    enum class Kind { Go, Stop, NoFix };
    Kind kind = Kind::Go;
    double lat = 0.0;  // Go: the point driven to, decimal degrees
    double lon = 0.0;
    double speedKmh = 0.0;  // Go: the cruising speed of the leg
    bool hasAltitude = false;
    double altitudeMetres = 0.0;  // Go: reached at the point, changing evenly on the way
    int32_t seconds = 0;          // Stop, NoFix
};

struct Route {
    int32_t year = 2024;
    int32_t month = 6;
    int32_t day = 12;
    int32_t startSecondOfDay = 8 * 3600;
    uint64_t seed = 1;
    double geoidSeparation = 48.0;
    double accelerationMps2 = 1.5;
    int32_t durationSeconds = 0;  // 0: as long as the route takes
    bool hasStart = false;
    double startLat = 0.0;
    double startLon = 0.0;
    double startAltitude = 0.0;
    std::vector<Step> steps;
};

// The route file's directives, for --help and the route files' readers.
extern const char kRouteFormat[];

// Reads a route file's text; on failure `error` names the line and what is wrong.
[[nodiscard]] bool parseRoute(const std::string& text, Route& route, std::string& error);

// The whole log, CR LF line ends. The same route always gives the same bytes.
[[nodiscard]] std::string writeDrive(const Route& route);

// "$" + body + "*" + the two hexadecimal digits of the XOR of the body's bytes.
[[nodiscard]] std::string withChecksum(const std::string& body);

}  // namespace kelvaro::drive
