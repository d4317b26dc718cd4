#include "display/dashboard.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <vector>

#include "app/housekeeping.h"
#include "display/buttons.h"
#include "display/draw.h"
#include "display/instruments.h"
#include "display/screen.h"
#include "display/text.h"
#include "position/geodesy.h"
#include "position/gps_feed.h"
#include "position/sun_times.h"
#include "position/time_text.h"
#include "position/trip_stats.h"

namespace kelvaro {

namespace {

constexpr const char* kTitle = "Kelvaro v2.5";
constexpr const char* kSplashNotice = "\xA9 2026 the Kelvaro developers";
constexpr size_t kMessageSize = 255;
constexpr int32_t kBlinkSteps = 6;
constexpr Color565 kBlack = 0x0000;
constexpr Color565 kWhite = 0xFFFF;

__attribute__((format(printf, 1, 2))) std::string format(const char* pattern, ...) {
    char buffer[256];
    va_list arguments;
    va_start(arguments, pattern);
    std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return buffer;
}

// The box of a right- and top-aligned string, as drawText() places it.
Rect rightTopTextBox(const Anchor& at, const std::string& text, int32_t slot) {
    return Rect{at.x - textWidth(slot, text), at.y, at.x, at.y + textHeight(slot, text)};
}

// The longest start of the text that fits the width: a message or log name longer than
// the box would run over the exit button.
std::string_view fitted(std::string_view text, int32_t slot, int32_t width) {
    while (!text.empty() && textWidth(slot, text) > width) {
        text.remove_suffix(1);
    }
    return text;
}

// Rows of the off-screen buffer saved now and put back when it goes: a clip for text whose
// descenders would reach below its zone. The rows are kept in the caller's store, so that
// a redraw allocates nothing once the store has grown to them.
class KeptRows {
  public:
    KeptRows(int32_t first, int32_t count, std::vector<Color565>& store) : saved_(store) {
        saved_.clear();
        const int32_t last = std::min(first + count, screenHeight());
        if (screen.offscreen && first >= 0 && last > first) {
            begin_ = static_cast<size_t>(first) * static_cast<size_t>(screenWidth());
            const size_t end = static_cast<size_t>(last) * static_cast<size_t>(screenWidth());
            saved_.assign(screen.offscreen.get() + begin_, screen.offscreen.get() + end);
        }
    }
    ~KeptRows() {
        if (screen.offscreen && !saved_.empty()) {
            std::copy(saved_.begin(), saved_.end(), screen.offscreen.get() + begin_);
        }
    }
    KeptRows(const KeptRows&) = delete;
    KeptRows& operator=(const KeptRows&) = delete;

  private:
    size_t begin_ = 0;
    std::vector<Color565>& saved_;
};

void put(const Anchor& at, std::string_view text, Color565 foreground, Color565 background,
         HAlign horizontal, VAlign vertical, int32_t slot) {
    drawText(at.x, at.y, text, foreground, background, horizontal, vertical, slot, 0, 0, false);
}

}  // namespace

RedrawFlags redrawFlags(const DashboardInputs& in, const ShownValues& shown, bool fullRedraw) {
    const TripStats& t = in.trip;
    RedrawFlags flags;
    if (t.page == Page::SpeedPicker) {
        return flags;
    }
    const bool full = fullRedraw;
    flags.frame = full;
    flags.messageLine =
        full || (t.logging && (!shown.messageLine || t.pointsLogged != shown.pointsLogged ||
                               in.settings.logfilename != shown.logName));
    flags.infoBox = full || !shown.infoBox || t.altitude != shown.altitude || t.lat != shown.lat ||
                    t.lon != shown.lon;
    flags.compass = full || !shown.compass || t.course != shown.course;
    flags.title = full || !t.fixValid || !shown.clock || in.fix.hour != shown.clockHour ||
                  in.fix.minute != shown.clockMinute;
    flags.distance = full || !shown.distance || t.tripDistance != shown.tripDistance ||
                     t.partialDistance != shown.partialDistance;
    flags.time = full || !shown.time || t.elapsed.second != shown.elapsedSecond ||
                 t.moving.second != shown.movingSecond;
    flags.speed = full || !shown.speed || t.speed != shown.speedValue ||
                  t.averageSpeed != shown.averageSpeed ||
                  t.movingAverageSpeed != shown.movingAverageSpeed ||
                  t.acceleration != shown.acceleration || t.satellites != shown.satellites ||
                  t.speedLimitNow != shown.speedLimit;
    flags.buttons = full;
    return flags;
}

int32_t altitudeUnitText(Units units) {
    return units == Units::English ? 45 : 44;
}

int32_t speedUnitText(Units units) {
    return units == Units::English ? 49 : units == Units::Nautic ? 93 : 48;
}

int32_t distanceUnitText(Units units) {
    return units == Units::English ? 47 : units == Units::Nautic ? 92 : 46;
}

PositionText formatPosition(Coordinates style, double latitude, double longitude, const char* north,
                            const char* east, const char* south, const char* west) {
    const std::string ns = hemisphereLabel(latitude, kLatitudeLimit, north, south);
    const std::string ew = hemisphereLabel(longitude, kLongitudeLimit, east, west);
    const double lat = std::fabs(latitude);
    const double lon = std::fabs(longitude);
    PositionText position;
    switch (style) {
        case Coordinates::Decimal:
            position.latitude = format("%s %3.5f\xB0", ns.c_str(), lat);
            position.longitude = format("%s %3.5f\xB0", ew.c_str(), lon);
            break;
        case Coordinates::DegMinSec: {
            const DegreesMinutesSeconds a = toDegreesMinutesSeconds(lat);
            const DegreesMinutesSeconds o = toDegreesMinutesSeconds(lon);
            position.latitude =
                format("%s % 2d\xB0 %02d' %02d\"", ns.c_str(), a.degrees, a.minutes, a.seconds);
            position.longitude =
                format("%s % 3d\xB0 %02d' %02d\"", ew.c_str(), o.degrees, o.minutes, o.seconds);
            break;
        }
        case Coordinates::DegMinute: {
            const DegreesMinutes a = toDegreesMinutes(lat);
            const DegreesMinutes o = toDegreesMinutes(lon);
            position.latitude = format("%s % 2d\xB0 %02.3f'", ns.c_str(), a.degrees, a.minutes);
            position.longitude = format("%s % 3d\xB0 %02.3f'", ew.c_str(), o.degrees, o.minutes);
            break;
        }
    }
    return position;
}

std::string formatTripDistance(double thousandths) {
    return format("%5.1f", thousandths / 1000.0);
}

std::string formatPartialDistance(double thousandths) {
    return format("%1.2f0", thousandths / 1000.0);
}

std::string formatDuration(const FixTime& time) {
    const long long hours = static_cast<long long>(time.day) * 24 + time.hour;
    return format("%lld:%02d:%02d", hours, time.minute, time.second);
}

DashboardLayout::DashboardLayout(int32_t width, int32_t height)
    : geometry_(dashboardGeometry(width, height)) {}

int32_t DashboardLayout::messageWidth() const {
    return geometry_.messageBox.x1 - 2 - geometry_.messageText.x;
}

// With a picture the zone comes back from it whole; without, the zone's inside is filled
// and its frame lines stay.
void DashboardLayout::clearZone(const Rect& zone, Color565 background) const {
    if (picture() != nullptr) {
        repaintRect(picture(), zone, background);
    } else {
        fillRect(zone.x0 + 1, zone.y0 + 1, zone.x1 - 1, zone.y1 - 1, background);
    }
}

void DashboardLayout::fillColours(const Settings& s, int32_t scheme) {
    DashboardColours& c = colours_;
    c.label = toColor565(s.labelcolors[scheme]);
    c.lines = toColor565(s.linescolors[scheme]);
    c.bottomForeground = toColor565(s.bottomforegroundcolors[scheme]);
    c.bottomThird = toColor565(s.bottomforegroundcolors[2]);
    c.topForeground = toColor565(s.topforegroundcolors[scheme]);
    c.topThird = toColor565(s.topforegroundcolors[2]);
    c.topBackground = toColor565(s.topbackgroundcolors[scheme]);
    c.bottomBackground = toColor565(s.bottombackgroundcolors[scheme]);
    c.messageText = c.topBackground;
    c.messageBox = c.topForeground;
    setFixColours(fixValid_);
}

bool DashboardLayout::applyColorScheme(const Settings& settings, TripStats& trip, bool force) {
    const ColorScheme scheme = settings.colorscheme;
    const bool night = scheme == ColorScheme::Night ||
                       (scheme == ColorScheme::Auto &&
                        !isDaytime(trip.now, trip.lat, trip.lon, settings.gmtoffset));
    const int32_t kind = night ? 1 : 0;
    fillColours(settings, kind);

    bool changed = false;
    if (kind != trip.backgroundKind || force) {
        backgroundImage.reset();
        const std::string& path = night ? settings.nightbackground : settings.daybackground;
        if (!path.empty()) {
            backgroundImage = loadBmp(path);
        }
        trip.backgroundKind = kind;
        changed = true;
    }
    if (backgroundImage && backgroundImage->width != geometry_.width &&
        backgroundImage->height != geometry_.height) {
        backgroundImage.reset();
    }
    return changed;
}

void DashboardLayout::setFixColours(bool fixValid) {
    fixValid_ = fixValid;
    colours_.bottomValue = fixValid ? colours_.bottomForeground : colours_.bottomThird;
    colours_.topValue = fixValid ? colours_.topForeground : colours_.topThird;
}

void DashboardLayout::remember(const DashboardInputs& in, const RedrawFlags& flags) {
    const TripStats& t = in.trip;
    ShownValues& v = shown_;
    if (flags.messageLine && t.logging) {
        v.messageLine = true;
        v.pointsLogged = t.pointsLogged;
        v.logName = in.settings.logfilename;
    }
    if (flags.infoBox) {
        v.infoBox = true;
        v.altitude = t.altitude;
        v.lat = t.lat;
        v.lon = t.lon;
    }
    if (flags.compass) {
        v.compass = true;
        v.course = t.course;
    }
    if (flags.title) {
        v.clock = t.fixValid;
        v.clockHour = in.fix.hour;
        v.clockMinute = in.fix.minute;
    }
    if (flags.distance) {
        v.distance = true;
        v.tripDistance = t.tripDistance;
        v.partialDistance = t.partialDistance;
    }
    if (flags.time) {
        v.time = true;
        v.elapsedSecond = t.elapsed.second;
        v.movingSecond = t.moving.second;
    }
    if (flags.speed) {
        v.speed = true;
        v.speedValue = t.speed;
        v.averageSpeed = t.averageSpeed;
        v.movingAverageSpeed = t.movingAverageSpeed;
        v.acceleration = t.acceleration;
        v.satellites = t.satellites;
        v.speedLimit = t.speedLimitNow;
    }
}

void DashboardLayout::refresh(const DashboardInputs& in, const RedrawFlags& flags) {
    const TripStats& trip = in.trip;
    const Settings& s = in.settings;
    remember(in, flags);
    drawFrame(flags.frame);
    drawMessageLine(s.logfilename, trip.logging, trip.pointsLogged, flags.messageLine);
    drawInfoBox(in, s.coordinates, flags.infoBox);
    drawCompass(in, s.compass, flags.compass);
    drawTitle(in.fix, s.gmtoffset, trip.fixValid, flags.title);
    drawDistanceZone(in, flags.distance);
    drawTimeZone(trip, flags.time);
    drawSpeedZone(in, flags.speed);
    drawButtons(flags.buttons);
}

void DashboardLayout::drawSplash() {
    const int32_t x = geometry_.width / 2;
    const int32_t y = geometry_.height / 2;
    drawText(x, y - 4, kTitle, kWhite, kBlack, HAlign::Centre, VAlign::Bottom, 1, 0, 0, true);
    drawText(x, y + 4, kSplashNotice, kWhite, kBlack, HAlign::Centre, VAlign::Top, 2, 0, 0, true);
}

void DashboardLayout::drawFrame(bool full) {
    if (!full) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    const int32_t W = g.width;
    const int32_t H = g.height;
    if (picture() != nullptr) {
        repaintRect(picture(), Rect{0, 0, W - 1, H - 1}, c.topBackground);
        return;
    }
    const int32_t a = g.bandTop;
    const int32_t cl = g.leftColumn;
    const int32_t d = g.infoHeight;
    fillRect(cl, 1, W, 20, c.bottomBackground);
    fillRect(0, 20, W - 1, a, c.topBackground);
    fillRect(g.bottomBand.x0, g.bottomBand.y0, g.bottomBand.x1, g.bottomBand.y1,
             c.bottomBackground);
    fillRect(g.infoBox.x0, g.infoBox.y0, g.infoBox.x1, g.infoBox.y1, c.topBackground);
    drawHLine(0, 0, W, c.lines);
    drawHLine(0, H - 1, W, c.lines);
    drawVLine(0, 0, H, c.lines);
    drawVLine(W - 1, 0, H, c.lines);
    drawHLine(0, d, cl, c.lines);
    drawHLine(0, a, W - 1, c.lines);
    drawHLine(cl, 20, W - 32, c.lines);
    drawHLine(cl, 50, W - 1, c.lines);
    drawVLine(cl, 0, a, c.lines);
    drawVLine(W / 2, a, H - 1, c.lines);
}

void DashboardLayout::drawTitle(const GpsFix& fix, double gmtOffset, bool fixValid, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    item("title bar", true);
    repaintRect(picture(), g.titleClear, c.bottomBackground);
    // The bar of "--|--" descends below the title bar; blended again every turn it would
    // darken the frame line and the rows under it.
    const KeptRows below(g.titleClear.y1 + 1, 12, keptRows_);
    item("title");
    put(g.titleText, kTitle, c.label, c.bottomBackground, HAlign::Left, VAlign::Centre, 3);
    std::string clock;
    if (fixValid) {
        clock = formatTime(fix.hour, fix.minute, 0, static_cast<float>(gmtOffset), false);
    } else {
        clock = colonShown_ ? "--:--" : "--|--";
        colonShown_ = !colonShown_;
    }
    item("clock");
    put(g.clock, clock, c.label, c.bottomBackground, HAlign::Right, VAlign::Centre, 2);
}

void DashboardLayout::showMessage(const std::string& text) {
    shown_.messageLine = false;
    showText(text);
}

void DashboardLayout::showText(std::string_view text) const {
    const DashboardColours& c = colours_;
    item("message box", true);
    repaintRect(picture(), geometry_.messageBox, c.topBackground);
    item("message");
    put(geometry_.messageText, fitted(text, 3, messageWidth()), c.topValue, c.topBackground,
        HAlign::Left, VAlign::Centre, 3);
}

void DashboardLayout::drawMessageLine(const std::string& logName, bool recording,
                                      int32_t pointCount, bool redraw) {
    if (!recording || !redraw) {
        return;
    }
    const std::string name = logName.substr(0, kMessageSize);
    showText(format("%s (%ld)", name.c_str(), static_cast<long>(pointCount)));
}

void DashboardLayout::postMessage(const std::string& text) {
    message_ = text.substr(0, kMessageSize);
    blinkCounter_ = kBlinkSteps;
    blinkOn_ = true;
}

void DashboardLayout::blinkMessage() {
    if (blinkCounter_ <= 0 || message_.empty()) {
        message_.clear();
        return;
    }
    const DashboardColours& c = colours_;
    const Rect& box = geometry_.messageBox;
    shown_.messageLine = false;
    item("message box", true);
    if (blinkOn_) {
        fillRoundRect(box.x0, box.y0, box.x1, box.y1, c.messageBox, 4);
        item("message");
        put(geometry_.messageText, fitted(message_, 3, messageWidth()), c.messageText, c.messageBox,
            HAlign::Left, VAlign::Centre, 3);
    } else {
        repaintRect(picture(), box, c.topBackground);
    }
    blinkOn_ = !blinkOn_;
    blinkCounter_ -= 1;
}

void DashboardLayout::drawInfoBox(const DashboardInputs& in, Coordinates style, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    const TripStats& trip = in.trip;
    const Settings& s = in.settings;
    item("information box", true);
    clearZone(g.infoBox, c.topBackground);
    // While waiting for the date with a log already open the log cannot be stopped here.
    const bool logLocked = trip.page == Page::AwaitingTime && s.logfilename != "none";
    if (picture() == nullptr && !logLocked) {
        item("log button");
        const Rect& b = g.logButton;
        drawBevelButton(logButtonMemo_, b.x0, b.y0, b.x1, b.y1, "0_0", c.lines, c.bottomBackground,
                        3, 6);
    }

    const bool feet = s.units == Units::English;
    item("altitude unit");
    put(g.altitudeUnit, text(in.texts, altitudeUnitText(s.units)), c.label, c.topBackground,
        HAlign::Right, VAlign::Top, 3);
    const double altitude = feet ? trip.altitude * kFeetPerMetre : trip.altitude;
    const int32_t shown =
        std::isfinite(altitude) && std::fabs(altitude) < 1e9 ? static_cast<int32_t>(altitude) : 0;
    item("altitude");
    put(g.altitudeValue, format("%4d", shown), c.topValue, c.topBackground, HAlign::Right,
        VAlign::Top, 1);

    const LanguageTexts& t = in.texts;
    const PositionText position = formatPosition(style, trip.lat, trip.lon, text(t, 56),
                                                 text(t, 57), text(t, 58), text(t, 59));
    item("latitude");
    put(g.latitude, position.latitude, c.topValue, c.topBackground, HAlign::Left, VAlign::Top, 2);
    item("longitude");
    put(g.longitude, position.longitude, c.topValue, c.topBackground, HAlign::Left, VAlign::Bottom,
        2);

    item("slope");
    drawSlopeIndicator(g, InstrumentPaint{c.topValue, c.topBackground, picture()},
                       trip.inclinationSamples, s.units);
}

void DashboardLayout::drawCompass(const DashboardInputs& in, CompassStyle style, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardColours& c = colours_;
    item("compass");
    drawCompassRose(geometry_, InstrumentPaint{c.topValue, c.topBackground, picture()}, style,
                    in.trip.course, in.texts, in.compassPoints);
}

void DashboardLayout::drawSpeedZone(const DashboardInputs& in, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    const TripStats& trip = in.trip;
    Settings& s = in.settings;
    item("speed zone", true);
    clearZone(g.speedZone, c.topBackground);

    item("average speed");
    put(g.averageSpeed, format("%.1f", trip.averageSpeed), c.topValue, c.topBackground,
        HAlign::Right, VAlign::Top, 1);
    item("moving average speed");
    put(g.movingAverageSpeed, format("%.1f", trip.movingAverageSpeed), c.topValue, c.topBackground,
        HAlign::Right, VAlign::Bottom, 1);
    item("speed unit");
    put(g.speedUnit, text(in.texts, speedUnitText(s.units)), c.label, c.topBackground,
        HAlign::Right, VAlign::Centre, 3);
    const int32_t limit = trip.speedLimitNow;
    if (limit != 0) {
        item("speed limit");
        drawText(g.speedLimit.x, g.speedLimit.y, format("> %d", limit), c.topValue, c.topBackground,
                 HAlign::Centre, VAlign::Bottom, 2, 1, c.label, false);
    }
    if (s.maxspeeddisplay) {
        item("top speed");
        put(g.maxSpeed, format("%d", s.maxspeedvalue), c.topValue, c.topBackground, HAlign::Left,
            VAlign::Top, 1);
    }

    const InstrumentPaint paint{c.topValue, c.topBackground, picture()};
    item("satellites");
    drawSatelliteBars(g, paint, trip.satellites);
    item("acceleration");
    drawAccelerationArrow(g, paint, trip.acceleration, s.accelerometer);

    item("speed");
    const std::string speed = format("%d", trip.speed);
    const Anchor& centre = g.speedCentre;
    if (s.speedalarm != SpeedAlarm::Audible && limit != 0 && trip.speed > limit) {
        const std::optional<Image>& sign = speedLimitImage;
        if (sign) {
            // One picture serves both screens: sized to hold the wide screen's figures, it
            // is narrowed on the small one to the room the zone's other values leave.
            const Rect& room = g.speedSignRoom;
            drawImageShrunk(*sign, centre.x, centre.y,
                            std::min(centre.x - room.x0, room.x1 - centre.x),
                            std::min(centre.y - room.y0, room.y1 - centre.y), true);
        }
        // Without the sign a white box keeps the black figures readable on any scheme.
        drawText(centre.x, centre.y, speed, kBlack, kWhite, HAlign::Centre, VAlign::Centre, 0, 0, 0,
                 !sign);
        takeScreenshot(kApplicationName);
    } else {
        put(centre, speed, c.topValue, c.topBackground, HAlign::Centre, VAlign::Centre, 0);
    }
}

void DashboardLayout::drawDistanceZone(const DashboardInputs& in, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    const TripStats& trip = in.trip;
    item("distance zone", true);
    clearZone(g.distanceZone, c.bottomBackground);
    item("trip distance");
    put(g.tripDistance, formatTripDistance(trip.tripDistance), c.bottomValue, c.bottomBackground,
        HAlign::Right, VAlign::Top, 1);
    item("partial distance");
    put(g.partialDistance, formatPartialDistance(trip.partialDistance), c.bottomValue,
        c.bottomBackground, HAlign::Right, VAlign::Bottom, 1);
    // The unit lies right of the zone, outside what was cleared: blended again onto its
    // own pixels it would thicken with every redraw.
    const std::string unit = text(in.texts, distanceUnitText(in.settings.units));
    item("distance unit");
    repaintRect(picture(), rightTopTextBox(g.distanceUnit, unit, 3), c.bottomBackground);
    put(g.distanceUnit, unit, c.label, c.bottomBackground, HAlign::Right, VAlign::Top, 3);
    item("distance label");
    drawText(g.distanceLabel.x, g.distanceLabel.y, text(in.texts, 10), c.bottomBackground,
             c.bottomValue, HAlign::Left, VAlign::Top, 3, 0, 0, true);
}

void DashboardLayout::drawTimeZone(const TripStats& trip, bool redraw) {
    if (!redraw) {
        return;
    }
    const DashboardGeometry& g = geometry_;
    const DashboardColours& c = colours_;
    item("time zone", true);
    clearZone(g.timeZone, c.bottomBackground);
    if (picture() == nullptr) {
        item("hide button");
        const Rect& b = g.hideButton;
        drawBevelButton(hideButtonMemo_, b.x0, b.y0, b.x1, b.y1, "_", c.lines, c.bottomBackground,
                        2, 6);
    }
    item("elapsed time");
    put(g.elapsedTime, formatDuration(trip.elapsed), c.bottomValue, c.bottomBackground,
        HAlign::Right, VAlign::Top, 1);
    item("moving time");
    put(g.movingTime, formatDuration(trip.moving), c.bottomValue, c.bottomBackground, HAlign::Right,
        VAlign::Bottom, 1);
}

void DashboardLayout::drawButtons(bool redraw) {
    if (!redraw || picture() != nullptr) {
        return;
    }
    const DashboardColours& c = colours_;
    const Rect& x = geometry_.exitButton;
    item("exit button");
    drawBevelButton(exitButtonMemo_, x.x0, x.y0, x.x1, x.y1, "X", c.lines, c.bottomBackground, 2,
                    6);
    const Rect& s = geometry_.setupButton;
    item("setup button");
    drawBevelButton(setupButtonMemo_, s.x0, s.y0, s.x1, s.y1, "][", c.lines, c.bottomBackground, 2,
                    6);
}

void DashboardLayout::drawSpeedPanel(const DashboardInputs& in) {
    const Anchor& p = geometry_.speedPanelOrigin;
    const std::optional<Image>& panel = speedZoneImage;
    if (panel) {
        drawImage(*panel, p.x, p.y, true);
    }
    // Without the picture a white box keeps the black figures readable on any scheme.
    const bool fill = !panel;
    const int32_t* presets = in.settings.speedPresets;
    for (int32_t i = 0; i < 4; ++i) {
        drawText(p.x + 40 + 80 * i, p.y + 50, format("%d", presets[i]), kBlack, kWhite,
                 HAlign::Centre, VAlign::Centre, 1, 0, 0, fill);
    }
    drawText(p.x + 270, p.y + 170, format("%d", in.trip.speed), kBlack, kWhite, HAlign::Centre,
             VAlign::Centre, 1, 0, 0, fill);
    flush(true);
}

}  // namespace kelvaro
