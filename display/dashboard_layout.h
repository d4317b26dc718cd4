// Where everything of the dashboard lies: zone rectangles, text anchors, the boxes of the
// instruments, the small buttons and the touch rectangles, all computed once from the
// screen size.
#pragma once

#include <cstdint>

#include "display/color.h"
#include "display/image.h"

namespace kelvaro {

// Corners inclusive.
struct Rect {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
};

inline Rect inset(const Rect& r, int32_t by) {
    return Rect{r.x0 + by, r.y0 + by, r.x1 - by, r.y1 - by};
}

struct Anchor {
    int32_t x = 0;
    int32_t y = 0;
};

// A tap area; a strict one excludes its bounds.
struct TouchRect {
    int32_t x0 = 0;
    int32_t y0 = 0;
    int32_t x1 = 0;
    int32_t y1 = 0;
    bool strict = false;
};

[[nodiscard]] bool touches(const TouchRect& area, int32_t x, int32_t y);

struct DashboardGeometry {
    int32_t width = 0;
    int32_t height = 0;
    int32_t bandTop = 0;     // top of the bottom band: 190 on a 320-pixel screen, else 215
    int32_t leftColumn = 0;  // width of the left column, 4/10 of the screen
    int32_t infoHeight = 0;  // height of the information box: 60 or 65

    Rect infoBox;
    Rect compassZone;
    Rect titleBar;
    Rect titleClear;  // what the title repaints, short of the exit button
    Rect messageBox;
    Rect speedZone;
    Rect timeZone;
    Rect distanceZone;
    Rect bottomBand;

    Anchor titleText;
    Anchor clock;
    Anchor messageText;
    Anchor altitudeValue;
    Anchor altitudeUnit;
    Anchor latitude;
    Anchor longitude;
    Anchor speedCentre;
    Anchor averageSpeed;
    Anchor movingAverageSpeed;
    Anchor speedUnit;
    Anchor speedLimit;
    Anchor maxSpeed;
    Anchor elapsedTime;
    Anchor movingTime;
    Anchor tripDistance;
    Anchor partialDistance;
    Anchor distanceUnit;
    Anchor distanceLabel;

    Rect slopeBox;
    Anchor slopeText;  // right and top of the slope's figures
    Rect satelliteBox;
    Anchor compassCentre;
    int32_t compassRadius = 0;
    int32_t compassCentreBox = 0;  // half width of the box behind the course text
    int32_t arrowHalfLength = 0;
    int32_t arrowHead = 0;
    int32_t arrowBaseline = 0;
    Rect speedSignRoom;  // what the speed-limit sign may cover around the speed centre

    Rect exitButton;   // "X"
    Rect setupButton;  // "]["
    Rect hideButton;   // "_"
    Rect logButton;    // "0_0"

    TouchRect exitCorner;
    TouchRect titleArea;
    TouchRect speedArea;
    TouchRect infoArea;
    TouchRect compassArea;
    TouchRect timeArea;
    TouchRect distanceArea;
    TouchRect bottomRightCorner;

    Anchor speedPanelOrigin;  // the 320 x 240 speed-preset panel, centred on the screen
};

[[nodiscard]] DashboardGeometry dashboardGeometry(int32_t width, int32_t height);

// Repaints a rectangle from the background picture, or fills it when there is none. Where
// a picture smaller than the screen leaves part of the rectangle uncovered, that part is
// filled first, so that nothing drawn before shows through.
void repaintRect(const Image* picture, const Rect& area, Color565 fill);

}  // namespace kelvaro
