// A fuzz input read front to back; past its end every byte is 0 and every text empty.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace kelvaro::fuzz {

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool more() const { return at_ < size_; }
    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }
    // Four bytes, the first the highest: any int32.
    int32_t number() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = value << 8 | byte();
        }
        return static_cast<int32_t>(value);
    }
    // Any bit pattern: NaN, infinities, huge and tiny values.
    double real() {
        uint64_t bits = 0;
        for (int i = 0; i < 8; ++i) {
            bits = bits << 8 | byte();
        }
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        return value;
    }
    // A byte gives the length, at most longest; the text is what follows of it.
    std::string text(size_t longest) {
        const size_t length = std::min<size_t>(byte() % (longest + 1), size_ - at_);
        std::string value(reinterpret_cast<const char*>(data_ + at_), length);
        at_ += length;
        return value;
    }

  private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace kelvaro::fuzz
