// A dashboard on a simulated screen for the dashboard tests: the application's records
// (trip, English texts, compass names, the card's pictures), default live settings, and
// sample values of a trip under way.
#pragma once

#include <cstdint>
#include <string>

#include "app/application.h"
#include "tests/display/screen_fixture.h"

namespace kelvaro::test {

class DashboardScene {
  public:
    // An xres x yres device with the fonts and the language file on its card.
    DashboardScene(uint32_t xres, uint32_t yres);
    ~DashboardScene();
    DashboardScene(const DashboardScene&) = delete;
    DashboardScene& operator=(const DashboardScene&) = delete;

    bool hasFonts() const { return fonts_; }
    const TestScreen& device() const { return device_; }
    Application& app() { return app_; }
    TripStats& trip() { return *app_.trip; }
    DashboardLayout& dashboard() { return *app_.dashboard; }
    DashboardInputs inputs() { return dashboardInputs(app_); }

    // A picture of the project's card content put on the card as
    // /mnt/sdcard/kelvaro/images/NAME; its device path.
    std::string putPicture(const std::string& name) const;
    // A language file of data/ put on the card and loaded, the compass names built from it.
    void putLanguage(const std::string& name);
    // The speed-preset panel and the limit sign, loaded as start-up loads them.
    void loadSpeedPictures();

    // Page Running with a valid fix and the values of a drive near Freiburg.
    void startRunning();
    // applyColorScheme, setFixColours and a full refresh, as after a redraw request.
    void drawAll();

  private:
    TestScreen device_;
    bool fonts_ = false;
    Application app_;
};

}  // namespace kelvaro::test
