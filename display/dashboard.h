// The dashboard page: its layout computed from the screen size, the colour scheme, and
// one drawing operation per zone, so the loop repaints only what changed.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/language.h"
#include "app/settings.h"
#include "display/buttons.h"
#include "display/dashboard_layout.h"
#include "position/fix_time.h"
#include "position/trip_stats.h"

namespace kelvaro {

struct GpsFix;

// What the dashboard draws from: the trip, the settings in force (whose acceleration scale
// grows as the arrow is drawn), the fix's clock, the texts and the compass point names.
struct DashboardInputs {
    const TripStats& trip;
    Settings& settings;
    const GpsFix& fix;
    const LanguageTexts& texts;
    const CompassPoints& compassPoints;
};

struct DashboardColours {
    Color565 label = 0;
    Color565 lines = 0;
    Color565 bottomForeground = 0;
    Color565 bottomThird = 0;  // figures of the bottom band while the fix is lost
    Color565 bottomValue = 0;
    Color565 topForeground = 0;
    Color565 topThird = 0;
    Color565 topValue = 0;
    Color565 topBackground = 0;
    Color565 bottomBackground = 0;
    Color565 messageText = 0;
    Color565 messageBox = 0;
};

// Which groups one refresh redraws.
struct RedrawFlags {
    bool frame = false;
    bool messageLine = false;
    bool infoBox = false;
    bool compass = false;
    bool title = false;
    bool distance = false;
    bool time = false;
    bool speed = false;
    bool buttons = false;
};

// The values each group showed when it was last drawn; a group not drawn yet is not shown.
struct ShownValues {
    bool messageLine = false;  // the recording line is in the message box
    int32_t pointsLogged = 0;
    std::string logName;
    bool infoBox = false;
    double altitude = 0.0;
    double lat = 0.0;
    double lon = 0.0;
    bool compass = false;
    int32_t course = 0;
    bool clock = false;  // the fix's time is in the title bar
    int32_t clockHour = 0;
    int32_t clockMinute = 0;
    bool distance = false;
    double tripDistance = 0.0;
    double partialDistance = 0.0;
    bool time = false;
    int32_t elapsedSecond = 0;
    int32_t movingSecond = 0;
    bool speed = false;
    double averageSpeed = 0.0;
    double movingAverageSpeed = 0.0;
    double acceleration = 0.0;
    int32_t satellites = 0;
    int32_t speedValue = 0;
    int32_t speedLimit = 0;
};

// A group is due on a full redraw or when a value it shows differs from what it showed
// when it was last drawn: the recording line while logging when the point count or the
// log's name changed or the box was drawn over, the title when the fix's minute changed
// and at every refresh while the fix is lost (its clock blinks). While the speed-preset
// panel is up nothing is.
[[nodiscard]] RedrawFlags redrawFlags(const DashboardInputs& in, const ShownValues& shown,
                                      bool fullRedraw);

// The texts the dashboard shows for the units setting.
[[nodiscard]] int32_t altitudeUnitText(Units units);
[[nodiscard]] int32_t speedUnitText(Units units);
[[nodiscard]] int32_t distanceUnitText(Units units);

// The two position lines of the information box, ISO-8859-1 (the degree sign is 0xB0).
struct PositionText {
    std::string latitude;
    std::string longitude;
};
[[nodiscard]] PositionText formatPosition(Coordinates style, double latitude, double longitude,
                                          const char* north, const char* east, const char* south,
                                          const char* west);

// "%5.1f" of the trip distance and "%1.2f0" of the partial distance, both given in
// thousandths of the display unit; "%d:%02d:%02d" of a time with its days in the hours.
[[nodiscard]] std::string formatTripDistance(double thousandths);
[[nodiscard]] std::string formatPartialDistance(double thousandths);
[[nodiscard]] std::string formatDuration(const FixTime& time);

// The dashboard of one screen size and the pictures it shows.
class DashboardLayout {
  public:
    DashboardLayout(int32_t width, int32_t height);

    const DashboardGeometry& geometry() const { return geometry_; }
    const DashboardColours& colours() const { return colours_; }

    // Day, night, or by the sun at the trip's time and place for "auto". Fills the colour
    // slots; when the scheme differs from the trip's scheme in force (or with force) the
    // background picture of the new scheme is loaded and the result is true, so the caller
    // redraws everything. A picture whose width and height both differ from the screen's is
    // dropped.
    bool applyColorScheme(const Settings& settings, TripStats& trip, bool force);
    void setFixColours(bool fixValid);

    // The refresh order of the loop, each group drawn when its flag is set; what a group
    // shows is remembered as it is drawn.
    void refresh(const DashboardInputs& in, const RedrawFlags& flags);
    const ShownValues& shown() const { return shown_; }

    // White on black, for the caller to flush at once.
    void drawSplash();
    void drawFrame(bool full);
    void drawTitle(const GpsFix& fix, double gmtOffset, bool fixValid, bool redraw);
    void drawMessageLine(const std::string& logName, bool recording, int32_t pointCount,
                         bool redraw);
    void drawInfoBox(const DashboardInputs& in, Coordinates style, bool redraw);
    void drawCompass(const DashboardInputs& in, CompassStyle style, bool redraw);
    void drawDistanceZone(const DashboardInputs& in, bool redraw);
    void drawTimeZone(const TripStats& trip, bool redraw);
    void drawSpeedZone(const DashboardInputs& in, bool redraw);
    void drawButtons(bool redraw);
    // The speed-preset panel over the dashboard, then a flush.
    void drawSpeedPanel(const DashboardInputs& in);

    // Told the name of each item of a zone just before it is drawn, `background` for what
    // clears a zone: what lets a layout check tell the items' pixels apart.
    using ItemWatcher = std::function<void(const char* item, bool background)>;
    void watchItems(ItemWatcher watcher) { watcher_ = std::move(watcher); }

    void showMessage(const std::string& text);
    // The text blinks in the message box for the next six calls of blinkMessage(): on,
    // off, on, off, on, off.
    void postMessage(const std::string& text);
    void blinkMessage();

    // The background of the scheme in force, loaded and dropped by applyColorScheme; the
    // speed-preset panel and the speed-limit sign, loaded at start-up.
    std::optional<Image> backgroundImage;
    std::optional<Image> speedZoneImage;
    std::optional<Image> speedLimitImage;

  private:
    void item(const char* name, bool background = false) const {
        if (watcher_) {
            watcher_(name, background);
        }
    }
    const Image* picture() const { return backgroundImage ? &*backgroundImage : nullptr; }
    int32_t messageWidth() const;
    void clearZone(const Rect& zone, Color565 background) const;
    void fillColours(const Settings& settings, int32_t scheme);
    void remember(const DashboardInputs& in, const RedrawFlags& flags);
    void showText(std::string_view text) const;

    const DashboardGeometry geometry_;
    std::string message_;  // at most 255 characters
    int32_t blinkCounter_ = 0;
    bool blinkOn_ = false;
    bool colonShown_ = false;  // the next lost-fix clock shows "--:--"
    DashboardColours colours_;
    bool fixValid_ = false;
    ShownValues shown_;
    std::vector<Color565> keptRows_;  // the rows under the title bar while it is drawn
    ItemWatcher watcher_;
    BevelButtonMemo logButtonMemo_;
    BevelButtonMemo hideButtonMemo_;
    BevelButtonMemo exitButtonMemo_;
    BevelButtonMemo setupButtonMemo_;
};

}  // namespace kelvaro
