// The dashboard page: its layout computed from the screen size, the colour scheme, and
// one drawing operation per zone, so the loop repaints only what changed.
#pragma once

#include <cstdint>
#include <string>

#include "app/settings.h"
#include "position/fix_time.h"

namespace kelvaro {

class DashboardLayout {
  public:
    DashboardLayout(int32_t width, int32_t height);

    // Fills the colour slots for the scheme; true when the colours changed.
    bool applyColorScheme(ColorScheme scheme, const FixTime& now, double latitude, double longitude,
                          double gmtOffset, bool force);
    void setFixColours(bool fixValid);

    void drawSplash();
    void drawFrame(bool full);
    void drawTitle(double gmtOffset, bool fixValid);
    void drawMessageLine(bool recording, int32_t pointCount, bool redraw);
    void drawInfoBox(Coordinates style, bool redraw);
    void drawCompass(CompassStyle style, bool redraw);
    void drawDistanceZone(bool redraw);
    void drawTimeZone(bool redraw);
    void drawSpeedZone(bool redraw);
    void drawButtons(bool redraw);
    void drawSpeedPanel();

    void showMessage(const std::string& text);
    void postMessage(const std::string& text);
    void blinkMessage();

  private:
    int32_t width_;
    int32_t height_;
};

}  // namespace kelvaro
