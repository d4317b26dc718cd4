#include "display/dashboard_layout.h"

#include <algorithm>

#include "display/draw.h"

namespace kelvaro {

bool touches(const TouchRect& area, int32_t x, int32_t y) {
    if (area.strict) {
        return area.x0 < x && x < area.x1 && area.y0 < y && y < area.y1;
    }
    return area.x0 <= x && x <= area.x1 && area.y0 <= y && y <= area.y1;
}

DashboardGeometry dashboardGeometry(int32_t width, int32_t height) {
    const int32_t W = width;
    const int32_t H = height;
    const int32_t a = W == 320 ? 190 : 215;
    const int32_t c = (4 * W) / 10;
    const int32_t d = W == 320 ? 60 : 65;
    // The small screen has no room to spare: several of its places below differ from the
    // wide screen's so that the widest value of each item stays clear of its neighbours.
    const bool small = W == 320;

    DashboardGeometry g;
    g.width = W;
    g.height = H;
    g.bandTop = a;
    g.leftColumn = c;
    g.infoHeight = d;

    g.infoBox = {0, 0, c, d};
    g.compassZone = {0, d, c, a};
    g.titleBar = {c, 1, W - 32, 20};
    // The exit button's left rim is column W - 32; the clock redraws every turn and must
    // not eat into it.
    g.titleClear = {c + 1, 1, W - 33, 19};
    g.messageBox = {c + 2, 22, W - 34, 48};
    g.speedZone = {c, 50, W - 1, a};
    g.timeZone = {0, a, W / 2, H - 1};
    // A four-digit trip distance beside the label needs the zone to reach closer to the
    // setup button on the small screen.
    g.distanceZone = {W / 2, a, small ? W - 33 : W - 40, H - 1};
    g.bottomBand = {0, a, W - 1, H - 1};

    const int32_t sx = (W - c - 1) / 2 + c;
    // On the small screen the speed sits midway between the row under the average speed
    // (71) and the satellite bars (151), where the limit sign has room to hold it.
    const int32_t sy = small ? 111 : (a - 50) / 2 + 50;
    g.titleText = {c + 8, 10};
    g.clock = {W - 34, 10};
    g.messageText = {c + 6, 35};
    // A five-digit altitude in feet fills the small screen's row between the log button and
    // the slope, so its unit goes under it; on the wide screen a gap of 3 clears "m".
    g.altitudeValue = {small ? c - 32 : c - 46, 4};
    g.altitudeUnit = small ? Anchor{c - 36, 21} : Anchor{c - 33, 4};
    // Room for the slope's figures between the wedge and the latitude.
    g.latitude = {2, small ? 34 : 32};
    g.longitude = {2, d - 2};
    g.speedCentre = {sx, sy};
    g.averageSpeed = {W - 3, 54};
    g.movingAverageSpeed = {W - 3, a - 2};
    // On the small screen beside the speed the unit would meet three-digit figures.
    g.speedUnit = {W - 3, small ? a - 25 : sy};
    g.speedLimit = {(W - 1 - c) / 2 + c, a - 4};
    g.maxSpeed = {c + 2, 52};
    g.elapsedTime = {W / 2 - 2, a + 4};
    g.movingTime = {W / 2 - 2, H - 3};
    g.tripDistance = {g.distanceZone.x1 - 2, a + 4};
    g.partialDistance = {g.distanceZone.x1 - 2, H - 3};
    g.distanceUnit = {W - 2, a + 4};
    g.distanceLabel = {small ? W / 2 + 3 : W / 2 + 4, a + 4};

    // The wedge's 19 lines end right under the frame on the small screen, so that its
    // figures fit above the latitude.
    g.slopeBox = small ? Rect{c - 31, 1, c, 20} : Rect{c - 31, 4, c, 25};
    g.slopeText = {g.slopeBox.x1 - 4, g.slopeBox.y1 + (small ? 2 : 4)};
    g.satelliteBox = {c + 4, a - 38, c + 28, a - 14};
    g.compassCentre = {c / 2, (a - d) / 2 + d};
    g.compassRadius = std::min(a - d, c) / 2 - 15;
    g.compassCentreBox = std::min(c, a - d) / 5;
    g.arrowHalfLength = (a - 50) / 6;
    g.arrowHead = g.arrowHalfLength / 3;
    g.arrowBaseline = 50 + g.arrowHead;
    // The whole zone's width, in a band centred on the speed that ends above the satellite
    // bars.
    const int32_t signBottom = g.satelliteBox.y0 - 1;
    g.speedSignRoom = {c + 1, 2 * sy - signBottom, W - 2, signBottom};

    g.exitButton = {W - 32, 1, W - 2, 31};
    g.setupButton = {W - 32, H - 32, W - 2, H - 2};
    g.hideButton = {1, H - 32, 31, H - 2};
    g.logButton = {0, 0, 30, 30};

    g.exitCorner = {W - 61, 0, W, 50, false};
    g.titleArea = {c, 0, W - 61, 50, false};
    g.speedArea = {c, 50, W - 1, a, true};
    g.infoArea = {0, 0, c, d, false};
    g.compassArea = {0, d, c, a, false};
    g.timeArea = {0, a, W / 2, H, false};
    g.distanceArea = {W / 2, a, W - 40, H, false};
    g.bottomRightCorner = {W - 60, a, W - 1, H, false};

    g.speedPanelOrigin = {(W - 320) / 2, (H - 240) / 2};
    return g;
}

void repaintRect(const Image* picture, const Rect& area, Color565 fill) {
    if (picture == nullptr) {
        fillRect(area.x0, area.y0, area.x1, area.y1, fill);
        return;
    }
    if (area.x1 >= picture->width || area.y1 >= picture->height) {
        fillRect(area.x0, area.y0, area.x1, area.y1, fill);
    }
    drawImageRegion(*picture, 0, 0, area.x0, area.y0, area.x1, area.y1, false);
}

}  // namespace kelvaro
