// What the user and the navigator can do on each page: the dashboard's touch zones, the
// speed-limit picker, the setup pages, and the page changes of showing and hiding.
#pragma once

#include <cstdint>
#include <string>

#include "app/application.h"
#include "display/dashboard_layout.h"

namespace kelvaro {

// The dashboard's zones in the order they are tested.
enum class DashboardAction : int32_t {
    None = 0,
    Hide,
    Setup,
    PartialReset,
    Log,
    Waypoint,
    ColourScheme,
    SpeedPicker,
    Exit,
};

// The first zone holding the lift whose page condition holds. Partial reset, waypoint and
// the speed picker are passed over unless the page is Running; the other zones are taken
// on both dashboard pages, even where their action then does nothing.
[[nodiscard]] DashboardAction dashboardAction(const DashboardGeometry& geometry, Page page,
                                              int32_t x, int32_t y);

// The rows of the speed-limit picker, relative to its 320 x 240 panel.
enum class PickerAction : int32_t {
    None = 0,
    Preset1,
    Preset2,
    Preset3,
    Preset4,
    ToggleMaxSpeedDisplay,
    ClearMaxSpeed,
    ToggleLimit,
    CurrentSpeed,
};

// Every bound is strict: a lift on a row's edge is no row.
[[nodiscard]] PickerAction pickerAction(int32_t originX, int32_t originY, int32_t x, int32_t y);

// A lift at (x, y) on the dashboard pages.
void dispatchDashboardTouch(Application& app, int32_t x, int32_t y);
// A lift at (x, y) while the speed-limit picker is shown; any lift closes it.
void dispatchPickerTouch(Application& app, int32_t x, int32_t y);
// One turn of a setup page (Setup1Open ... SetupSave). What the code of a tap does is
// applySetupCode's table of codes (app/setup_codes.h).
void runSetupPage(Application& app);
// Leaves setup without saving: the working copy is read again from the file, the screens
// are dropped and the page before setup comes back.
void leaveSetup(Application& app);

// The hide zone: the trip goes on hidden, the screen and the touch device are given back,
// the hook file goes and the UI owner word is cleared.
void hideApplication(Application& app);

// The page the application comes forward to when the navigator shows it: the shown twin of
// a hidden page; a running trip stays running, so its start is not taken again. Setup and
// the exit keep their page, and while the feed is being reopened the page it returns to
// becomes shown. False when the dashboard is not to be brought back (setup, exit).
[[nodiscard]] bool comeForward(Application& app);
// The hidden page for a navigator's hide; open setup screens are left as by a cancel.
void goBehind(Application& app);
// Maps the screen, reopens touch and draws the whole dashboard, for a flush to show.
void restoreDashboard(Application& app);

// The log button's two actions without their messages: a new log named, begun and given
// its start waypoint; the stop waypoint, the log finished and its name cleared.
void startTrackLogging(Application& app);
void stopTrackLogging(Application& app);

// A waypoint at the fix's position; false when the log did not take it.
[[nodiscard]] bool writeWaypoint(Application& app, const std::string& label);

}  // namespace kelvaro
