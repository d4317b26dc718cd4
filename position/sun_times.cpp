#include "position/sun_times.h"

#include <cmath>

#include "position/geodesy.h"
#include "position/time_text.h"

namespace kelvaro {

namespace {

// Depression of the sun's centre below the horizon at sunrise and at the end of civil
// twilight, in degrees.
constexpr double kSunriseDepression = 0.8316666666666667;
constexpr double kTwilightDepression = 6.0;

double normalise(double x) {
    double r = x - kTwoPi * std::trunc(x / kTwoPi);
    if (r < 0.0) {
        r += kTwoPi;
    }
    return r;
}

// Half the length of the day at the depression, as an angle; 0 in polar night, pi
// when the sun does not set.
double hourAngle(double declination, double lat, double depression) {
    double k = toRadians(depression);
    if (lat < 0.0) {
        k = -k;
    }
    double x = std::tan(declination + k) * std::tan(toRadians(lat));
    if (x > 0.99999) {
        x = 1.0;
    }
    // Symmetric lower clamp: in polar night x falls below -1, where asin has no value and
    // the times would be no numbers.
    if (x < -1.0) {
        x = -1.0;
    }
    return std::asin(x) + kHalfPi;
}

HourMinute toHourMinute(double time) {
    HourMinute split;
    if (!std::isfinite(time) || std::fabs(time) > 1.0e6) {
        return split;
    }
    split.hours = static_cast<int32_t>(time);
    split.minutes = static_cast<int32_t>((time - split.hours) * 60);
    return split;
}

int64_t secondsOf(const HourMinute& time) {
    return static_cast<int64_t>(time.hours) * 3600 + static_cast<int64_t>(time.minutes) * 60;
}

// Seconds into 0 ... 86400.
double wrapDay(double seconds) {
    const double wrapped = std::fmod(seconds, 86400.0);
    return wrapped < 0.0 ? wrapped + 86400.0 : wrapped;
}

}  // namespace

SunTimes sunTimes(double lat, double lon, int32_t year, int32_t month, int32_t day,
                  double offsetHours) {
    // The integer divisions truncate before the sum becomes a double; 64 bits keep any
    // date from overflowing.
    const int64_t y = year;
    const int64_t m = month;
    const int64_t dayCount = 367 * y - (7 * (y + (m + 9) / 12)) / 4 + (275 * m) / 9 + day;
    const double d = static_cast<double>(dayCount) - 730531.5 + 0.5;

    const double meanLongitude = normalise(toRadians(280.461) + toRadians(d) * 0.9856474);
    const double meanAnomaly = normalise(toRadians(357.528) + toRadians(d) * 0.9856003);
    const double eclipticLongitude =
        normalise(meanLongitude + toRadians(1.915 * std::sin(meanAnomaly)) +
                  toRadians(0.020 * std::sin(2 * meanAnomaly)));
    const double obliquity = toRadians(23.439) - toRadians(d) * 0.0000004;

    const double rightAscension =
        std::atan2(std::cos(obliquity) * std::sin(eclipticLongitude), std::cos(eclipticLongitude));
    const double declination = std::asin(std::sin(obliquity) * std::sin(eclipticLongitude));

    double diff = meanLongitude - rightAscension;
    if (meanLongitude < kPi) {
        diff += kTwoPi;
    }
    const double equationMinutes = 1440 * (1 - diff / kTwoPi);

    const double sunriseAngle = hourAngle(declination, lat, kSunriseDepression);
    const double twilightAngle = hourAngle(declination, lat, kTwilightDepression);
    const double twilightHours = (twilightAngle - sunriseAngle) * 12 / kPi;

    double sunrise = 12 - sunriseAngle * 12 / kPi + offsetHours - lon / 15 + equationMinutes / 60;
    double sunset = sunriseAngle * 12 / kPi + 12 + offsetHours - lon / 15 + equationMinutes / 60;
    const double dawn = sunrise - twilightHours;
    const double dusk = sunset + twilightHours;
    if (sunrise > 24) {
        sunrise -= 24;
    }
    if (sunset > 24) {
        sunset -= 24;
    }

    SunTimes times;
    times.dawn = toHourMinute(dawn);
    times.sunrise = toHourMinute(sunrise);
    times.sunset = toHourMinute(sunset);
    times.dusk = toHourMinute(dusk);
    return times;
}

bool isDaytime(const FixTime& utc, double lat, double lon, double offsetHours) {
    const bool usable = lat != 0.0 && lon != 0.0 && utc.year >= 2001 && utc.month >= 1 &&
                        utc.month <= 12 && utc.day >= 1 && utc.day <= 31;
    if (!usable) {
        return true;
    }
    const SunTimes times = sunTimes(lat, lon, utc.year, utc.month, utc.day, offsetHours);
    // Far from Greenwich the local time, sunrise and sunset fall outside 0-24 h (Sydney's
    // local morning is the previous UTC evening): all three are taken into one day, and
    // the day runs from sunrise round the clock to sunset.
    const double local =
        wrapDay(secondsOfDay(utc.hour, utc.minute, utc.second, 0) + offsetHours * 3600);
    const double sunrise = wrapDay(static_cast<double>(secondsOf(times.sunrise)));
    const double sunset = wrapDay(static_cast<double>(secondsOf(times.sunset)));
    if (sunrise <= sunset) {
        return local > sunrise && local < sunset;
    }
    return local > sunrise || local < sunset;
}

}  // namespace kelvaro
