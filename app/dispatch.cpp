#include "app/dispatch.h"

// The zones and the setup pages are handled by the dispatch module; until it lands a tap
// changes nothing and no setup page can be reached.
namespace kelvaro {

void dispatchDashboardTouch(Application&, int32_t, int32_t) {}
void dispatchPickerTouch(Application&, int32_t, int32_t) {}
void runSetupPage(Application&) {}

}  // namespace kelvaro
