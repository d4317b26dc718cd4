// What the user and the navigator can do on each page: the dashboard's touch zones, the
// speed-limit picker, the setup pages.
#pragma once

#include <cstdint>

#include "app/application.h"

namespace kelvaro {

// A lift at (x, y) on the dashboard pages.
void dispatchDashboardTouch(Application& app, int32_t x, int32_t y);
// A lift at (x, y) while the speed-limit picker is shown.
void dispatchPickerTouch(Application& app, int32_t x, int32_t y);
// One turn of a setup page (Setup1Open ... SetupSave).
void runSetupPage(Application& app);

}  // namespace kelvaro
