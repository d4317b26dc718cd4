// Any bytes as a list of drawing calls with arbitrary coordinates, radii and texts (texts
// come from language and configuration files on the card). Every call must stay within
// the off-screen buffer, which sits on the heap where the sanitizer watches its edges, and
// must end quickly whatever the numbers.

#include <cstddef>
#include <cstdint>
#include <string>

#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"
#include "fuzz/byte_reader.h"
#include "fuzz/device_root.h"

namespace {

constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 48;

// Mostly small numbers around the screen, sometimes the extremes.
int32_t coordinate(kelvaro::fuzz::ByteReader& in) {
    return in.byte() < 16 ? in.number() : static_cast<int32_t>(in.byte()) - 100;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // A small landscape screen and, when installed, the real fonts.
    kelvaro::fuzz::openFuzzScreen("draw", kWidth, kHeight);
    kelvaro::fuzz::ByteReader in(data, size);
    for (int calls = 0; in.more() && calls < 64; ++calls) {
        const uint8_t operation = in.byte() % 11;
        const int32_t a = coordinate(in);
        const int32_t b = coordinate(in);
        const int32_t c = coordinate(in);
        const int32_t d = coordinate(in);
        const auto color = static_cast<kelvaro::Color565>(in.byte() << 8 | in.byte());
        switch (operation) {
            case 0:
                kelvaro::putPixel(a, b, color);
                break;
            case 1:
                kelvaro::fillRect(a, b, c, d, color);
                break;
            case 2:
                kelvaro::drawRect(a, b, c, d, color);
                break;
            case 3:
                kelvaro::drawLine(a, b, c, d, color);
                break;
            case 4:
                kelvaro::fillDisc(a, b, c, color);
                break;
            case 5:
                kelvaro::drawRingRows(a, b, c, color);
                break;
            case 6:
                kelvaro::fillRoundRect(a, b, c, d, color, coordinate(in));
                break;
            case 7:
                kelvaro::clearRows(a, b, color);
                break;
            case 8:
                kelvaro::flush(true);
                break;
            case 9:
                kelvaro::getPixel(a, b);
                break;
            default: {
                const std::string text = in.text(23);
                const auto horizontal = static_cast<kelvaro::HAlign>(in.byte() % 3);
                const auto vertical = static_cast<kelvaro::VAlign>(in.byte() % 3);
                kelvaro::drawText(a, b, text, color, static_cast<kelvaro::Color565>(~color),
                                  horizontal, vertical, static_cast<int32_t>(in.byte() % 5), c,
                                  color, (d & 1) != 0);
                break;
            }
        }
    }
    return 0;
}
