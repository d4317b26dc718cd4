#include "display/dashboard.h"

// The zones are drawn by the dashboard module once the drawing primitives are in place;
// until then the layout knows its size and draws nothing.
namespace kelvaro {

DashboardLayout::DashboardLayout(int32_t, int32_t) {}

bool DashboardLayout::applyColorScheme(ColorScheme, const FixTime&, double, double, double, bool) {
    return false;
}
void DashboardLayout::setFixColours(bool) {}
void DashboardLayout::drawSplash() {}
void DashboardLayout::drawFrame(bool) {}
void DashboardLayout::drawTitle(double, bool) {}
void DashboardLayout::drawMessageLine(bool, int32_t, bool) {}
void DashboardLayout::drawInfoBox(Coordinates, bool) {}
void DashboardLayout::drawCompass(CompassStyle, bool) {}
void DashboardLayout::drawDistanceZone(bool) {}
void DashboardLayout::drawTimeZone(bool) {}
void DashboardLayout::drawSpeedZone(bool) {}
void DashboardLayout::drawButtons(bool) {}
void DashboardLayout::drawSpeedPanel() {}
void DashboardLayout::showMessage(const std::string&) {}
void DashboardLayout::postMessage(const std::string&) {}
void DashboardLayout::blinkMessage() {}

}  // namespace kelvaro
