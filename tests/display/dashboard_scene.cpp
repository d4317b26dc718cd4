#include "tests/display/dashboard_scene.h"

#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"
#include "position/gps_feed.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

DashboardScene::DashboardScene(uint32_t xres, uint32_t yres) : device_(xres, yres) {
    liveSettings = Settings{};
    gpsFix = GpsFix{};
    fonts_ = device_.installFonts();
    initFonts();
    clearRows(0, screenHeight(), 0);
    app_.trip = createTripStats(liveSettings);
    app_.screenWidth = screenWidth();
    app_.screenHeight = screenHeight();
    app_.dashboard = std::make_unique<DashboardLayout>(screenWidth(), screenHeight());
    app_.texts = std::make_unique<LanguageTexts>();
    putLanguage("english.lng");
    app_.dashboard->applyColorScheme(liveSettings, *app_.trip, false);
}

DashboardScene::~DashboardScene() {
    liveSettings = Settings{};
    gpsFix = GpsFix{};
}

std::string DashboardScene::putPicture(const std::string& name) const {
    const std::string devicePath = "/mnt/sdcard/kelvaro/images/" + name;
    device_.root().write(devicePath, hostFileContent(cardFile("kelvaro/images/" + name)));
    return devicePath;
}

void DashboardScene::putLanguage(const std::string& name) {
    device_.root().write("/mnt/sdcard/kelvaro/" + name,
                         hostFileContent(cardFile("kelvaro/" + name)));
    loadLanguage(*app_.texts, "/mnt/sdcard/kelvaro", name);
    app_.compassPoints = buildCompassPoints(*app_.texts);
}

void DashboardScene::loadSpeedPictures() {
    app_.dashboard->speedZoneImage = loadBmp(putPicture("speed_zone.bmp"));
    app_.dashboard->speedLimitImage = loadBmp(putPicture("speed_limit.bmp"));
}

void DashboardScene::startRunning() {
    TripStats& t = *app_.trip;
    t.page = Page::Running;
    t.fixValid = true;
    t.now = FixTime{2024, 6, 12, 7, 5, 14, 14 * 3600 + 5 * 60 + 7};
    gpsFix.hour = 14;
    gpsFix.minute = 5;
    gpsFix.second = 7;
    t.altitude = 312.6;
    t.lat = 47.99588;
    t.lon = 7.84234;
    t.tripDistance = 12345.0;
    t.partialDistance = 1234.0;
    t.averageSpeed = 42.66;
    t.movingAverageSpeed = 51.31;
    t.acceleration = 0.83;
    t.elapsed = FixTime{0, 0, 0, 5, 17, 0, 17 * 60 + 5};
    t.moving = FixTime{0, 0, 0, 48, 14, 0, 14 * 60 + 48};
    t.satellites = 8;
    t.speed = 57;
    t.course = 200;
    t.inclinationSamples = {{3.0, 100.0}, {2.5, 80.0}};
    liveSettings.accelerometer = 2.0;
}

void DashboardScene::drawAll() {
    app_.dashboard->applyColorScheme(liveSettings, *app_.trip, false);
    app_.dashboard->setFixColours(app_.trip->fixValid);
    const DashboardInputs in = inputs();
    app_.dashboard->refresh(in, redrawFlags(in, app_.dashboard->shown(), true));
}

}  // namespace kelvaro::test
