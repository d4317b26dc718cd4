#include "app/language.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "platform/platform.h"

namespace kelvaro {

namespace {

constexpr size_t kMaxTextLength = kLanguageTextSize - 1;
// A label is a text of at most 63 characters with one number in it; "%f" of the largest
// double takes 317 characters with its sign.
constexpr size_t kLabelBytes = 512;

// One line of a language file as it streams past: only the first 63 bytes after the
// first comma are kept, so a line of any length costs no more than that.
struct LineReader {
    bool sawComma = false;
    bool empty = true;
    unsigned char last = 0;
    size_t textLength = 0;  // bytes after the comma, up to the line end
    char kept[kMaxTextLength] = {};

    void add(unsigned char c) {
        empty = false;
        last = c;
        if (!sawComma) {
            sawComma = c == ',';
            return;
        }
        if (textLength < kMaxTextLength) {
            kept[textLength] = static_cast<char>(c);
        }
        ++textLength;
    }

    // The text of a finished line, into the slot. The carriage return of a CR LF line end
    // is not part of the text.
    void store(char* slot) const {
        size_t length = textLength;
        if (length > 0 && last == '\r') {
            --length;
        }
        if (length > kMaxTextLength) {
            length = kMaxTextLength;
        }
        std::memcpy(slot, kept, length);
        slot[length] = '\0';
    }
};

bool openRegularFile(const std::string& path, int* fd) {
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (opened < 0) {
        return false;
    }
    struct stat info {};
    if (::fstat(opened, &info) != 0 || S_ISDIR(info.st_mode)) {
        ::close(opened);
        return false;
    }
    *fd = opened;
    return true;
}

// What a printf conversion may look like in a translated format: flags, a width and a
// precision of at most two digits each (no "*"), an optional length modifier and one of
// the conversion letters.
bool isOneConversion(const char* format, const char* lengthModifiers, const char* conversions) {
    int count = 0;
    for (size_t i = 0; format[i] != '\0'; ++i) {
        if (format[i] != '%') {
            continue;
        }
        ++i;
        if (format[i] == '%') {
            continue;
        }
        while (format[i] != '\0' && std::strchr("-+ #0", format[i]) != nullptr) {
            ++i;
        }
        for (int digits = 0; format[i] >= '0' && format[i] <= '9'; ++digits, ++i) {
            if (digits == 2) {
                return false;
            }
        }
        if (format[i] == '.') {
            ++i;
            for (int digits = 0; format[i] >= '0' && format[i] <= '9'; ++digits, ++i) {
                if (digits == 2) {
                    return false;
                }
            }
        }
        if (format[i] != '\0' && std::strchr(lengthModifiers, format[i]) != nullptr) {
            ++i;
        }
        if (format[i] == '\0' || std::strchr(conversions, format[i]) == nullptr) {
            return false;
        }
        ++count;
    }
    return count == 1;
}

// A format that failed its check: the text as it stands, a blank and the number.
std::string literalLabel(const char* text, const char* number) {
    std::string label(text);
    if (!label.empty()) {
        label += ' ';
    }
    return label + number;
}

}  // namespace

bool loadLanguage(LanguageTexts& texts, const std::string& directory, const std::string& fileName) {
    int fd = -1;
    if (!openRegularFile(platform::devicePath(directory + "/" + fileName), &fd)) {
        return false;
    }
    std::memset(texts.texts, 0, sizeof texts.texts);

    int32_t taken = 0;
    LineReader line;
    char chunk[4096];
    bool atEnd = false;
    while (!atEnd && taken < kLanguageTextCount) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        atEnd = got <= 0;
        for (ssize_t i = 0; i < got && taken < kLanguageTextCount; ++i) {
            const unsigned char c = static_cast<unsigned char>(chunk[i]);
            if (c != '\n') {
                line.add(c);
                continue;
            }
            if (line.sawComma) {
                line.store(texts.texts[taken++]);
            }
            line = LineReader{};
        }
    }
    // A last line without a line end counts like any other.
    if (!line.empty && line.sawComma && taken < kLanguageTextCount) {
        line.store(texts.texts[taken]);
    }
    ::close(fd);
    return true;
}

const char* text(const LanguageTexts& texts, int32_t number) {
    if (number < 0 || number >= kLanguageTextCount) {
        return "";
    }
    return texts.texts[number];
}

void scanLanguages(LanguageTexts& texts, const std::string& directory) {
    DIR* folder = ::opendir(platform::devicePath(directory).c_str());
    if (folder == nullptr) {
        return;
    }
    // "english.lng.bak" is no language: cut to "english.lng" it would be saved with a
    // second suffix and name no file. Nor is a folder called "x.lng".
    const std::string prefix = platform::devicePath(directory) + "/";
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name(entry->d_name);
        struct stat info {};
        if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".lng") == 0 &&
            ::stat((prefix + name).c_str(), &info) == 0 && S_ISREG(info.st_mode)) {
            texts.fileNames.push_back(name.substr(0, name.size() - 4));
        }
    }
    ::closedir(folder);
}

std::optional<std::string> nextLanguageName(LanguageTexts& texts) {
    if (texts.nextName < 0 || static_cast<size_t>(texts.nextName) >= texts.fileNames.size()) {
        return std::nullopt;
    }
    return texts.fileNames[static_cast<size_t>(texts.nextName++)];
}

bool isSingleDoubleFormat(const char* format) {
    return isOneConversion(format, "l", "fFeEgGaA");
}

bool isSingleIntFormat(const char* format) {
    return isOneConversion(format, "", "di");
}

std::string formatDistanceLabel(const LanguageTexts& texts, double distance) {
    const char* format = text(texts, 12);
    char label[kLabelBytes];
    if (isSingleDoubleFormat(format)) {
        std::snprintf(label, sizeof label, format, distance);
        return label;
    }
    std::snprintf(label, sizeof label, "%.1f", distance);
    return literalLabel(format, label);
}

std::string formatCourseLabel(const LanguageTexts& texts, int32_t course) {
    const char* format = text(texts, 13);
    char label[kLabelBytes];
    if (isSingleIntFormat(format)) {
        std::snprintf(label, sizeof label, format, static_cast<int>(course));
        return label;
    }
    std::snprintf(label, sizeof label, "%d", static_cast<int>(course));
    return literalLabel(format, label);
}

CompassPoints buildCompassPoints(const LanguageTexts& texts) {
    // Each name spelt as letters of north (0), east (1), south (2) and west (3).
    static const char* const kSpellings[16] = {"0", "001", "01", "101", "1", "121", "21", "221",
                                               "2", "223", "23", "323", "3", "303", "03", "003"};
    CompassPoints points;
    for (size_t i = 0; i < points.size(); ++i) {
        std::string name;
        for (const char* letter = kSpellings[i]; *letter != '\0'; ++letter) {
            name += text(texts, 56 + (*letter - '0'));
        }
        points[i] = name.substr(0, 3);
    }
    return points;
}

const std::string& compassPointName(const CompassPoints& points, int32_t course) {
    const double sector = std::trunc((course - 11.25 + 360) / 22.5);
    const int64_t index = (static_cast<int64_t>(sector) + 17) % 16;
    return points[static_cast<size_t>(index < 0 ? index + 16 : index)];
}

}  // namespace kelvaro
