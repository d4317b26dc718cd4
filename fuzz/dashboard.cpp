// Any bytes as the values the dashboard shows: trip figures as they come from the feed
// (any double, NaN and infinities included), the settings of the configuration file, the
// texts of a language file, the slope window. Every zone is drawn; nothing may leave the
// off-screen buffer or overflow.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "app/application.h"
#include "display/dashboard.h"
#include "display/screen.h"
#include "display/text.h"
#include "fuzz/byte_reader.h"
#include "fuzz/device_root.h"
#include "position/gps_feed.h"

namespace {

constexpr uint32_t kWidth = 320;
constexpr uint32_t kHeight = 240;

kelvaro::Application* application = nullptr;

// A 320 x 240 screen with the fonts when they are installed, and the application records.
void setUpOnce() {
    if (application != nullptr) {
        return;
    }
    kelvaro::fuzz::openFuzzScreen("dashboard", kWidth, kHeight);
    application = new kelvaro::Application;
    application->trip = kelvaro::createTripStats(kelvaro::liveSettings);
    application->texts = std::make_unique<kelvaro::LanguageTexts>();
    application->dashboard =
        std::make_unique<kelvaro::DashboardLayout>(kelvaro::screenWidth(), kelvaro::screenHeight());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUpOnce();
    using namespace kelvaro;
    fuzz::ByteReader in(data, size);
    Application& app = *application;
    TripStats& t = *app.trip;
    Settings& s = liveSettings;

    for (const int32_t number : {10, 44, 45, 46, 47, 48, 49, 56, 57, 58, 59, 92, 93}) {
        const std::string text = in.text(63);
        std::memcpy(app.texts->texts[number], text.data(), text.size());
        app.texts->texts[number][text.size()] = '\0';
    }
    app.compassPoints = buildCompassPoints(*app.texts);
    s.units = static_cast<Units>(in.byte() % 3);
    s.coordinates = static_cast<Coordinates>(in.byte() % 3);
    s.compass = static_cast<CompassStyle>(in.byte() % 3);
    s.speedalarm = static_cast<SpeedAlarm>(in.byte() % 3);
    s.maxspeeddisplay = in.byte() & 1;
    s.maxspeedvalue = in.number();
    s.logfilename = in.text(300);
    s.accelerometer = in.real();
    for (int32_t& preset : s.speedPresets) {
        preset = in.number();
    }

    t.page = static_cast<Page>(in.byte() % 6);
    t.fixValid = in.byte() & 1;
    t.altitude = in.real();
    t.lat = in.real();
    t.lon = in.real();
    t.tripDistance = in.real();
    t.partialDistance = in.real();
    t.averageSpeed = in.real();
    t.movingAverageSpeed = in.real();
    t.acceleration = in.real();
    for (FixTime* time : {&t.elapsed, &t.moving}) {
        time->day = in.number();
        time->hour = in.number();
        time->minute = in.number();
        time->second = in.number();
    }
    t.satellites = in.number();
    t.speed = in.number();
    t.speedLimitNow = in.number();
    t.course = in.number();
    t.logging = in.byte() & 1;
    t.pointsLogged = in.number();
    t.inclinationSamples.clear();
    for (int i = in.byte() % 8; i > 0; --i) {
        t.inclinationSamples.emplace_back(in.real(), in.real());
    }
    gpsFix.hour = in.number();
    gpsFix.minute = in.number();
    const double offset = in.real();

    DashboardLayout& d = *app.dashboard;
    const DashboardInputs inputs = dashboardInputs(app);
    d.setFixColours(t.fixValid);
    d.refresh(inputs, redrawFlags(inputs, d.shown(), true));
    d.drawTitle(gpsFix, offset, t.fixValid, true);
    d.postMessage(in.text(300));
    d.blinkMessage();
    d.drawSpeedPanel(inputs);
    return 0;
}
