#include "tools/make-pictures/pictures.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/settings.h"
#include "display/buttons.h"
#include "display/dashboard_layout.h"
#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"

namespace kelvaro::pictures {

namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/liberation/";
constexpr Color565 kWhite = 0xFFFF;
constexpr Color565 kSignRed = toColor565(214, 0, 0);

// The global screen as a bare drawing surface of the picture's size, with the fonts of
// that screen type; handed back empty at the end.
class Canvas {
  public:
    Canvas(int32_t width, int32_t height) {
        screen.type = screenTypeFor(static_cast<uint32_t>(width), static_cast<uint32_t>(height));
        screen.variableInfo.xres = static_cast<uint32_t>(width);
        screen.variableInfo.yres = static_cast<uint32_t>(height);
        screen.offscreen.reset(new uint16_t[static_cast<size_t>(width) * height]());
        initFonts();
    }
    ~Canvas() {
        screen.offscreen.reset();
        screen.variableInfo = {};
        screen.type = ScreenType::Unknown;
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    Picture take(const std::string& fileName) const {
        Picture picture;
        picture.fileName = fileName;
        picture.width = screenWidth();
        picture.height = screenHeight();
        const uint16_t* pixels = screen.offscreen.get();
        picture.pixels.assign(pixels, pixels + static_cast<size_t>(picture.width) * picture.height);
        return picture;
    }
};

Color565 mix(const Rgb& from, const Rgb& to, int32_t step, int32_t steps) {
    const auto part = [&](int32_t a, int32_t b) { return a + (b - a) * step / steps; };
    return toColor565(part(from.red, to.red), part(from.green, to.green), part(from.blue, to.blue));
}

void verticalGradient(const Rect& area, const Rgb& top, const Rgb& bottom) {
    const int32_t steps = std::max(area.y1 - area.y0, 1);
    for (int32_t y = area.y0; y <= area.y1; ++y) {
        fillRect(area.x0, y, area.x1, y, mix(top, bottom, y - area.y0, steps));
    }
}

void centred(int32_t x, int32_t y, const char* text, Color565 color, int32_t slot) {
    drawText(x, y, text, color, 0, HAlign::Centre, VAlign::Centre, slot, 0, 0, false);
}

// A red-rimmed round sign, white inside.
void limitSign(int32_t cx, int32_t cy, int32_t radius, int32_t rim) {
    fillDisc(cx, cy, radius, kWhite);
    fillDisc(cx, cy, radius - 2, kSignRed);
    fillDisc(cx, cy, radius - 2 - rim, kWhite);
}

// An area of the panel: the touch rectangle less a margin, so what is drawn lies inside
// the strict bounds the picker tests.
void panelKey(int32_t x0, int32_t y0, int32_t x1, int32_t y1, Color565 face) {
    fillRoundRect(x0 + 4, y0 + 4, x1 - 4, y1 - 4, face, 6);
}

}  // namespace

bool linkFonts(const std::string& root) {
    namespace fs = std::filesystem;
    std::error_code error;
    const std::string skin = root + "/mnt/sdcard/skin";
    fs::create_directories(skin, error);
    const std::pair<const char*, const char*> fonts[] = {
        {"LiberationSans-Regular.ttf", "Arial.ttf"},
        {"LiberationSans-Bold.ttf", "Arialbd.ttf"},
    };
    for (const auto& [from, to] : fonts) {
        const std::string source = std::string(kFontDir) + from;
        const std::string target = skin + "/" + to;
        if (!fs::exists(source, error)) {
            return false;
        }
        if (!fs::exists(target, error)) {
            fs::create_symlink(source, target, error);
            if (error) {
                return false;
            }
        }
    }
    return true;
}

Picture speedZonePanel() {
    const Canvas canvas(320, 240);
    const Color565 panel = toColor565(36, 44, 62);
    const Color565 key = toColor565(62, 76, 104);
    const Color565 caption = toColor565(230, 236, 246);
    fillRect(0, 0, 319, 239, kTransparentKey);
    fillRoundRect(0, 0, 319, 239, panel, 10);

    // Four presets in a row, each a sign with its figure drawn on at (40 + 80 i, 50).
    for (int32_t i = 0; i < 4; ++i) {
        panelKey(80 * i, 0, 80 * i + 80, 90, key);
        limitSign(40 + 80 * i, 50, 34, 5);
    }
    // Showing the kept maximum on or off, and setting it back to 0.
    panelKey(0, 90, 110, 160, key);
    centred(55, 116, "MAX", caption, 1);
    centred(55, 140, "on / off", caption, 3);
    panelKey(0, 160, 110, 240, key);
    centred(55, 190, "MAX", caption, 1);
    centred(55, 215, "reset to 0", caption, 3);
    // The limit on or off: a sign struck through.
    panelKey(110, 90, 215, 240, key);
    limitSign(162, 150, 34, 5);
    for (int32_t k = -3; k <= 3; ++k) {
        drawLine(140 + k, 174, 184 + k, 126, kSignRed);
    }
    centred(162, 206, "limit", caption, 3);
    centred(162, 220, "on / off", caption, 3);
    // The current speed as the limit: its figure is drawn on at (270, 170).
    panelKey(215, 90, 320, 240, key);
    centred(267, 114, "current", caption, 3);
    centred(267, 128, "speed", caption, 3);
    fillRoundRect(232, 148, 308, 192, kWhite, 6);
    centred(267, 212, "as limit", caption, 3);
    return canvas.take("speed_zone.bmp");
}

Picture speedLimitSign() {
    // A plate that holds three figures of the wide screen's speed, and fits between the
    // arrow, the values and the satellite bars of its speed zone. The small screen draws it
    // with a few middle rows and columns left out; the rim is whole there too.
    const Canvas canvas(190, 88);
    fillRect(0, 0, 189, 87, kTransparentKey);
    fillRoundRect(0, 0, 189, 87, kWhite, 12);
    fillRoundRect(1, 1, 188, 86, kSignRed, 11);
    fillRoundRect(5, 5, 184, 82, kWhite, 8);
    return canvas.take("speed_limit.bmp");
}

Picture background(int32_t width, int32_t height, bool night) {
    const Canvas canvas(width, height);
    const DashboardGeometry g = dashboardGeometry(width, height);
    const Settings defaults;
    const int32_t scheme = night ? 1 : 0;
    const Color565 lines = toColor565(defaults.linescolors[scheme]);
    const Color565 face = toColor565(defaults.bottombackgroundcolors[scheme]);
    const int32_t W = width;
    const int32_t H = height;
    const int32_t a = g.bandTop;
    const int32_t c = g.leftColumn;

    const Rgb topFrom = night ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
    const Rgb topTo = night ? Rgb{22, 30, 54} : Rgb{204, 222, 242};
    const Rgb bandFrom = night ? Rgb{0, 0, 112} : Rgb{0, 0, 152};
    const Rgb bandTo = night ? Rgb{0, 0, 48} : Rgb{0, 0, 88};
    verticalGradient(Rect{0, 0, W - 1, a}, topFrom, topTo);
    verticalGradient(Rect{c, 1, W - 1, 20}, bandFrom, bandTo);
    verticalGradient(g.bottomBand, bandFrom, bandTo);

    // A dial face behind the compass rose, inside its ticks.
    const Color565 dial = night ? toColor565(14, 20, 38) : toColor565(240, 246, 252);
    fillDisc(g.compassCentre.x, g.compassCentre.y, g.compassRadius - 1, dial);

    // The lines of the plain frame.
    drawHLine(0, 0, W, lines);
    drawHLine(0, H - 1, W, lines);
    drawVLine(0, 0, H, lines);
    drawVLine(W - 1, 0, H, lines);
    drawHLine(0, g.infoHeight, c, lines);
    drawHLine(0, a, W - 1, lines);
    drawHLine(c, 20, W - 32, lines);
    drawHLine(c, 50, W - 1, lines);
    drawVLine(c, 0, a, lines);
    drawVLine(W / 2, a, H - 1, lines);

    // The dashboard draws no buttons over a picture: they are part of it.
    const struct {
        Rect rect;
        const char* label;
        int32_t slot;
    } buttons[] = {
        {g.exitButton, "X", 2},
        {g.setupButton, "][", 2},
        {g.hideButton, "_", 2},
        {g.logButton, "0_0", 3},
    };
    for (const auto& b : buttons) {
        drawBevelButton(b.rect.x0, b.rect.y0, b.rect.x1, b.rect.y1, b.label, lines, face, b.slot,
                        6);
    }
    char name[32];
    std::snprintf(name, sizeof name, "%s_%dx%d.bmp", night ? "night" : "day", width, height);
    return canvas.take(name);
}

std::vector<Picture> cardPictures() {
    std::vector<Picture> all;
    all.push_back(speedZonePanel());
    all.push_back(speedLimitSign());
    for (const auto& [w, h] : {std::pair<int32_t, int32_t>{320, 240}, {480, 272}}) {
        all.push_back(background(w, h, false));
        all.push_back(background(w, h, true));
    }
    return all;
}

std::vector<uint8_t> encodeBmp(const Picture& picture) {
    const uint32_t rowBytes = (static_cast<uint32_t>(picture.width) * 3u + 3u) & ~3u;
    const uint32_t dataBytes = rowBytes * static_cast<uint32_t>(picture.height);
    const uint32_t fileBytes = 54u + dataBytes;
    std::vector<uint8_t> bmp(fileBytes, 0);
    const auto put16 = [&](size_t at, uint32_t v) {
        bmp[at] = static_cast<uint8_t>(v);
        bmp[at + 1] = static_cast<uint8_t>(v >> 8);
    };
    const auto put32 = [&](size_t at, uint32_t v) {
        put16(at, v & 0xFFFFu);
        put16(at + 2, v >> 16);
    };
    bmp[0] = 'B';
    bmp[1] = 'M';
    put32(2, fileBytes);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(picture.width));
    put32(22, static_cast<uint32_t>(picture.height));
    put16(26, 1);
    put16(28, 24);
    put32(34, dataBytes);
    put32(38, 2835);  // 72 dpi
    put32(42, 2835);
    for (int32_t row = 0; row < picture.height; ++row) {
        const Color565* from =
            picture.pixels.data() + static_cast<size_t>(picture.height - 1 - row) * picture.width;
        uint8_t* to = bmp.data() + 54 + static_cast<size_t>(row) * rowBytes;
        for (int32_t x = 0; x < picture.width; ++x) {
            const Color565 p = from[x];
            const uint32_t r = (p >> 11) & 31u;
            const uint32_t g = (p >> 5) & 63u;
            const uint32_t b = p & 31u;
            to[3 * x] = static_cast<uint8_t>(b << 3 | b >> 2);
            to[3 * x + 1] = static_cast<uint8_t>(g << 2 | g >> 4);
            to[3 * x + 2] = static_cast<uint8_t>(r << 3 | r >> 2);
        }
    }
    return bmp;
}

bool writeBmp(const std::string& hostPath, const Picture& picture) {
    const std::vector<uint8_t> bytes = encodeBmp(picture);
    std::ofstream out(hostPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return static_cast<bool>(out);
}

}  // namespace kelvaro::pictures
