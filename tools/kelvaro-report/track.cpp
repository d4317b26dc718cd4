#include "tools/kelvaro-report/track.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <map>

#include "position/geodesy.h"
#include "position/time_text.h"

namespace kelvaro::report {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
// Slower than a walk at both ends of a leg by the receiver, else over the whole leg by the
// positions: the car stood. A standing receiver's positions wander a few metres, so its own
// speed is the better judge where the log holds it.
constexpr double kStandingKmh = 2.0;
constexpr int64_t kShortestStop = 5;
// Slopes of shorter legs are rounding noise of the altitudes.
constexpr double kShortestSlopeLeg = 20.0;
// Longer without a point, the car was parked: the next point begins another drive.
constexpr int64_t kLongestPause = 1800;
// Without a log period, only a leg longer than this is taken for a loss of fix.
constexpr int64_t kLongestLegWithoutPeriod = 600;

// The local time of day that the logs of the card show beside this UTC time.
int32_t localSecondOfDay(int64_t utcSeconds, double gmtoffset) {
    const int64_t ofDay = ((utcSeconds % kSecondsPerDay) + kSecondsPerDay) % kSecondsPerDay;
    const std::string shown =
        formatTime(static_cast<int32_t>(ofDay / 3600), static_cast<int32_t>(ofDay / 60 % 60),
                   static_cast<int32_t>(ofDay % 60), static_cast<float>(gmtoffset), true);
    int hour = 0;
    int minute = 0;
    int second = 0;
    if (std::sscanf(shown.c_str(), "%d:%d:%d", &hour, &minute, &second) != 3) {
        return static_cast<int32_t>(ofDay);
    }
    return hour * 3600 + minute * 60 + second;
}

// Two points a second apart at the same place are no stop: a stop lasts a while.
void keepRealStops(const std::vector<LoggedPoint>& points, std::vector<Leg>& legs) {
    size_t i = 1;
    while (i < legs.size()) {
        if (legs[i] != Leg::Stopped) {
            ++i;
            continue;
        }
        size_t end = i;
        while (end < legs.size() && legs[end] == Leg::Stopped) {
            ++end;
        }
        if (points[end - 1].seconds - points[i - 1].seconds < kShortestStop) {
            std::fill(legs.begin() + static_cast<std::ptrdiff_t>(i),
                      legs.begin() + static_cast<std::ptrdiff_t>(end), Leg::Moving);
        }
        i = end;
    }
}

bool standing(const LoggedPoint& from, const LoggedPoint& to, double metresPerSecond) {
    if (from.hasSpeed && to.hasSpeed) {
        return std::max(from.speedKmh, to.speedKmh) < kStandingKmh;
    }
    return metresPerSecond * 3.6 < kStandingKmh;
}

double legMetres(const LoggedPoint& from, const LoggedPoint& to) {
    return distanceMetres(from.lon, from.lat, to.lon, to.lat);
}

// "Start : " of a label "Start : 12/06/2024 08:42:10", the caption of the log's start and
// stop points; empty for other labels.
std::string eventCaption(const std::string& label) {
    const size_t at = label.find(" : ");
    if (at == std::string::npos || at == 0 || label.size() < at + 13 || label[at + 5] != '/' ||
        label[at + 8] != '/') {
        return std::string();
    }
    return label.substr(0, at + 3);
}

}  // namespace

std::vector<TrackLog> drivesOf(TrackLog log, const Settings& settings) {
    finishTrack(log, settings);
    const std::string start =
        log.points.empty() ? std::string() : eventCaption(log.points.front().label);
    std::vector<size_t> begins = {0};
    for (size_t i = 1; i < log.points.size(); ++i) {
        if ((!start.empty() && eventCaption(log.points[i].label) == start) ||
            log.points[i].seconds - log.points[i - 1].seconds > kLongestPause) {
            begins.push_back(i);
        }
    }
    std::vector<TrackLog> drives;
    if (begins.size() == 1) {
        drives.push_back(std::move(log));
        return drives;
    }
    std::vector<LoggedPoint> points = std::move(log.points);
    log.points.clear();
    begins.push_back(points.size());
    for (size_t d = 0; d + 1 < begins.size(); ++d) {
        TrackLog drive = log;
        drive.drive = static_cast<int32_t>(d + 1);
        drive.drives = static_cast<int32_t>(begins.size() - 1);
        drive.points.assign(
            std::make_move_iterator(points.begin() + static_cast<std::ptrdiff_t>(begins[d])),
            std::make_move_iterator(points.begin() + static_cast<std::ptrdiff_t>(begins[d + 1])));
        if (drive.drive < drive.drives) {
            drive.cutOff = false;
            drive.closed = true;
            drive.stillOpen = false;
            drive.tooLarge = false;
        }
        if (drive.drive > 1) {
            drive.damagedRecords = 0;
        }
        finishTrack(drive, settings);
        drives.push_back(std::move(drive));
    }
    return drives;
}

void finishTrack(TrackLog& log, const Settings& settings) {
    int64_t elapsed = 0;
    for (size_t i = 0; i < log.points.size(); ++i) {
        LoggedPoint& p = log.points[i];
        if (p.hasUtc) {
            p.localSecondOfDay = localSecondOfDay(p.utcSeconds, settings.gmtoffset);
        }
        if (i == 0) {
            p.seconds = 0;
            continue;
        }
        const LoggedPoint& before = log.points[i - 1];
        int64_t step = 0;
        if (p.hasUtc && before.hasUtc) {
            step = p.utcSeconds - before.utcSeconds;
        } else {
            // Only the clock: a time before the last one is on the next day.
            step = p.localSecondOfDay - before.localSecondOfDay;
            if (step < 0) {
                step += kSecondsPerDay;
            }
        }
        elapsed += std::max<int64_t>(step, 0);
        p.seconds = elapsed;
    }
}

int64_t longestRegularLeg(const TrackLog& log, const Settings& settings) {
    // Period points come every period seconds, so the period is a leg that repeats; the
    // card's period may have changed since the log was written.
    std::map<int64_t, int32_t> legCounts;
    for (size_t i = 1; i < log.points.size(); ++i) {
        legCounts[log.points[i].seconds - log.points[i - 1].seconds] += 1;
    }
    int64_t period = std::max<int64_t>(settings.trackperiod, 0);
    for (const auto& [seconds, count] : legCounts) {
        if (count >= 2 && seconds > period) {
            period = seconds;
        }
    }
    if (period == 0) {
        return kLongestLegWithoutPeriod;
    }
    return period + std::max<int64_t>(5, period / 2);
}

TrackProfile profileOf(const TrackLog& log, const Settings& settings) {
    TrackProfile profile;
    const std::vector<LoggedPoint>& points = log.points;
    const size_t count = points.size();
    profile.distanceMetres.assign(count, 0.0);
    profile.speedKmh.assign(count, 0.0);
    profile.legs.assign(count, Leg::Moving);
    profile.slopePercent.assign(count, 0.0);
    TrackFigures& f = profile.figures;
    if (count == 0) {
        return profile;
    }
    const int64_t longest = longestRegularLeg(log, settings);
    std::vector<double> legLength(count, 0.0);
    double movingMetres = 0.0;
    for (size_t i = 1; i < count; ++i) {
        const int64_t seconds = points[i].seconds - points[i - 1].seconds;
        legLength[i] = legMetres(points[i - 1], points[i]);
        profile.distanceMetres[i] = profile.distanceMetres[i - 1] + legLength[i];
        if (seconds > longest) {
            profile.legs[i] = Leg::NoFix;
        } else if (seconds > 0 && standing(points[i - 1], points[i], legLength[i] / seconds)) {
            profile.legs[i] = Leg::Stopped;
        } else if (seconds == 0 && i > 1 && profile.legs[i - 1] == Leg::Stopped) {
            // Two points of one second (a label of its own) do not break a stop.
            profile.legs[i] = Leg::Stopped;
        }
    }
    keepRealStops(points, profile.legs);
    for (size_t i = 1; i < count; ++i) {
        const int64_t seconds = points[i].seconds - points[i - 1].seconds;
        const Leg leg = profile.legs[i];
        if (leg == Leg::NoFix) {
            f.noFixSeconds += seconds;
            f.fixLosses += 1;
        } else if (leg == Leg::Stopped) {
            f.stoppedSeconds += seconds;
            f.stops += i > 1 && profile.legs[i - 1] == Leg::Stopped ? 0 : 1;
        } else {
            f.movingSeconds += seconds;
            movingMetres += legLength[i];
        }
        const LoggedPoint& a = points[i - 1];
        const LoggedPoint& b = points[i];
        if (a.hasAltitude && b.hasAltitude && leg != Leg::NoFix &&
            legLength[i] >= kShortestSlopeLeg) {
            profile.slopePercent[i] = (b.altitudeMetres - a.altitudeMetres) / legLength[i] * 100.0;
            f.steepestClimbPercent = std::max(f.steepestClimbPercent, profile.slopePercent[i]);
            f.steepestDescentPercent = std::max(f.steepestDescentPercent, -profile.slopePercent[i]);
        }
        if (a.hasAltitude && b.hasAltitude) {
            const double rise = b.altitudeMetres - a.altitudeMetres;
            (rise > 0.0 ? f.climbMetres : f.descentMetres) += std::abs(rise);
        }
    }
    bool seenAltitude = false;
    for (size_t i = 0; i < count; ++i) {
        const LoggedPoint& p = points[i];
        if (log.speedsLogged && p.hasSpeed) {
            profile.speedKmh[i] = p.speedKmh;
        } else {
            // The mean speed of the leg that ends here, else of the one that starts here.
            for (const size_t leg : {i, i + 1}) {
                if (leg >= 1 && leg < count && profile.legs[leg] != Leg::NoFix &&
                    points[leg].seconds > points[leg - 1].seconds) {
                    profile.speedKmh[i] =
                        legLength[leg] / (points[leg].seconds - points[leg - 1].seconds) * 3.6;
                    break;
                }
            }
        }
        if (profile.speedKmh[i] > f.topSpeedKmh) {
            f.topSpeedKmh = profile.speedKmh[i];
            f.topSpeedPoint = i;
        }
        if (p.hasAltitude) {
            f.highestMetres =
                seenAltitude ? std::max(f.highestMetres, p.altitudeMetres) : p.altitudeMetres;
            f.lowestMetres =
                seenAltitude ? std::min(f.lowestMetres, p.altitudeMetres) : p.altitudeMetres;
            seenAltitude = true;
        }
        f.waypoints += p.isWaypoint ? 1 : 0;
        f.labels += p.label.empty() ? 0 : 1;
    }
    f.durationSeconds = points.back().seconds - points.front().seconds;
    f.distanceMetres = profile.distanceMetres.back();
    f.movingAverageKmh = f.movingSeconds > 0 ? movingMetres / f.movingSeconds * 3.6 : 0.0;
    return profile;
}

}  // namespace kelvaro::report
