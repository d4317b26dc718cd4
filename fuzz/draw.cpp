// Any bytes as a list of drawing calls with arbitrary coordinates, radii and texts (texts
// come from language and configuration files on the card). Every call must stay within
// the off-screen buffer, which sits on the heap where the sanitizer watches its edges, and
// must end quickly whatever the numbers.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "display/draw.h"
#include "display/screen.h"
#include "display/text.h"
#include "fuzz/fuzz_screen.h"

namespace {

constexpr uint32_t kWidth = 64;
constexpr uint32_t kHeight = 48;

// A small landscape screen and, when installed, the real fonts.
void setUpOnce() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    kelvaro::fuzz::openFuzzScreen("draw", kWidth, kHeight);
}

class Reader {
  public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Mostly small numbers around the screen, sometimes the extremes.
    int32_t number() {
        const uint8_t kind = byte();
        if (kind < 16) {
            uint32_t value = 0;
            for (int i = 0; i < 4; ++i) {
                value = value << 8 | byte();
            }
            return static_cast<int32_t>(value);
        }
        return static_cast<int32_t>(byte()) - 100;
    }
    std::string text() {
        const size_t length = std::min<size_t>(byte() % 24, size_ - at_);
        std::string value(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    setUpOnce();
    Reader in(data, size);
    for (int calls = 0; in.more() && calls < 64; ++calls) {
        const uint8_t operation = in.byte() % 11;
        const int32_t a = in.number();
        const int32_t b = in.number();
        const int32_t c = in.number();
        const int32_t d = in.number();
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
                kelvaro::fillRoundRect(a, b, c, d, color, in.number());
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
                const std::string text = in.text();
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
