#include "navlink/csv_arguments.h"

#include <cstdlib>
#include <cstring>

namespace kelvaro {

namespace {

// A text that outgrows the inline buffer moves to a heap buffer of this size first, and
// the heap buffer then grows in steps of this much.
constexpr uint32_t kHeapTextStart = 2048;
constexpr uint32_t kHeapTextStep = 1024;

}  // namespace

CCsvArguments::CCsvArguments(char separator) : separator_(separator) {
    inlineText_[0] = '\0';
}

CCsvArguments::~CCsvArguments() {
    freeHeap();
}

void CCsvArguments::freeHeap() {
    std::free(heapText_);
    heapText_ = nullptr;
    heapCapacity_ = 0;
    std::free(heapTable_);
    heapTable_ = nullptr;
}

void CCsvArguments::Reset() {
    freeHeap();
    inlineText_[0] = '\0';
    count_ = 0;
}

int32_t CCsvArguments::AddArgument(const char* text) {
    if (text == nullptr) {
        text = "";
    }
    const size_t added = std::strlen(text);
    const size_t held = std::strlen(GetBuffer());
    // The text, its separator and the zero byte must fit: held + added + 1 < capacity.
    const size_t needed = held + added + 1;
    if (heapText_ == nullptr && needed >= kInlineTextBytes) {
        char* moved = static_cast<char*>(std::malloc(kHeapTextStart));
        if (moved == nullptr) {
            return -1;
        }
        std::memcpy(moved, inlineText_, held + 1);
        heapText_ = moved;
        heapCapacity_ = kHeapTextStart;
    }
    if (heapText_ != nullptr && needed >= heapCapacity_) {
        if (needed > INT32_MAX - kHeapTextStep) {
            return -1;
        }
        uint32_t capacity = heapCapacity_;
        while (needed >= capacity) {
            capacity += kHeapTextStep;
        }
        char* grown = static_cast<char*>(std::realloc(heapText_, capacity));
        if (grown == nullptr) {
            return -1;
        }
        heapText_ = grown;
        heapCapacity_ = capacity;
    }
    char* buffer = GetBuffer();
    std::memcpy(buffer + held, text, added);
    buffer[held + added] = separator_;
    buffer[held + added + 1] = '\0';
    return static_cast<int32_t>(held + added);
}

char* CCsvArguments::GetBuffer() {
    return heapText_ != nullptr ? heapText_ : inlineText_;
}

uint32_t CCsvArguments::GetCapacity() const {
    return heapText_ != nullptr ? heapCapacity_ : kInlineTextBytes;
}

void CCsvArguments::Split() {
    std::free(heapTable_);
    heapTable_ = nullptr;
    char* text = GetBuffer();
    if (text[0] == '\0') {
        count_ = 0;
        return;
    }
    size_t pieces = 1;
    for (const char* at = text; *at != '\0'; ++at) {
        if (*at == separator_) {
            ++pieces;
        }
    }
    // Every piece but the first costs a separator byte, so pieces stays below the
    // capacity, which AddArgument and AllocateBuffer keep within int32.
    char** table = inlineTable_;
    if (pieces >= static_cast<size_t>(kInlineTableEntries)) {
        table = static_cast<char**>(std::malloc(pieces * sizeof(char*)));
        if (table == nullptr) {
            count_ = 0;
            return;
        }
        heapTable_ = table;
    }
    char* const end = text + std::strlen(text);
    size_t piece = 0;
    table[piece++] = text;
    for (char* at = text; at != end; ++at) {
        if (*at == separator_) {
            *at = '\0';
            table[piece++] = at + 1;
        }
    }
    // The piece after the last separator is not an argument: an answer that lacks its
    // trailing separator loses its last argument.
    count_ = static_cast<int32_t>(pieces - 1);
}

const char* CCsvArguments::GetArgument(int32_t index) const {
    if (index < 0 || index >= count_) {
        return nullptr;
    }
    return heapTable_ != nullptr ? heapTable_[index] : inlineTable_[index];
}

bool CCsvArguments::AllocateBuffer(uint32_t size) {
    Reset();
    if (size == 0 || size > static_cast<uint32_t>(INT32_MAX)) {
        return false;
    }
    heapText_ = static_cast<char*>(std::malloc(size));
    if (heapText_ == nullptr) {
        return false;
    }
    heapText_[0] = '\0';
    heapCapacity_ = size;
    return true;
}

}  // namespace kelvaro
