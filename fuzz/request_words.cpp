// Any bytes as the first argument of a navigator request: the two words read from it stay
// within the text, never exceed their length, and hold no blank.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/example_handler.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string argument(reinterpret_cast<const char*>(data), size);
    const kelvaro::RequestWords words = kelvaro::readRequestWords(argument.c_str());
    const auto bad = [](const std::string& word) {
        return word.size() > kelvaro::RequestWords::kMaxWordLength ||
               word.find_first_of(" \t\n\v\f\r") != std::string::npos;
    };
    if (words.count < 0 || words.count > 2 || bad(words.first) || bad(words.second) ||
        (words.count < 2 && !words.second.empty()) || (words.count == 0 && !words.first.empty())) {
        std::abort();
    }
    return 0;
}
