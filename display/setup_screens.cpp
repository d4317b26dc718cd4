#include "display/setup_screens.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>

#include "display/screen.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

// A card holding thousands of matching files still gives a list of bounded size.
constexpr size_t kMaxListEntries = 1024;

// Names in directory order of the files of a device folder whose name ends in `suffix`:
// a name that merely holds it ("old.ogg.bak") or a folder would be saved as a setting that
// names no sound or picture.
std::vector<std::string> namesEndingIn(const char* folder, const std::string& suffix) {
    std::vector<std::string> names;
    const std::string path = platform::devicePath(folder);
    DIR* directory = ::opendir(path.c_str());
    if (directory == nullptr) {
        return names;
    }
    while (const dirent* entry = ::readdir(directory)) {
        const std::string name(entry->d_name);
        struct stat info {};
        if (name.size() >= suffix.size() &&
            name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0 &&
            ::stat((path + "/" + name).c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
            names.size() < kMaxListEntries) {
            names.push_back(name);
        }
    }
    ::closedir(directory);
    return names;
}

// The entry that the setting names: the one whose full path it is, else the first whose
// name occurs in it (so "x.ogg" is not taken for "/mnt/sdcard/kelvaro/max.ogg" when both
// are listed), else the first entry. Empty entries never match.
int32_t entryFor(const std::vector<std::string>& entries, const std::string& setting,
                 const char* folder) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].empty() && setting == std::string(folder) + "/" + entries[i]) {
            return static_cast<int32_t>(i);
        }
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        if (!entries[i].empty() && setting.find(entries[i]) != std::string::npos) {
            return static_cast<int32_t>(i);
        }
    }
    return 0;
}

void fillLists(SetupScreen& screen, const Settings& working) {
    switch (screen.number) {
        case 3: {
            auto scan = std::make_unique<LanguageTexts>();
            scanLanguages(*scan, kKelvaroFolder);
            while (const std::optional<std::string> name = nextLanguageName(*scan)) {
                if (screen.entries.size() < kMaxListEntries) {
                    screen.entries.push_back(*name + ".lng");
                }
            }
            const auto found =
                std::find(screen.entries.begin(), screen.entries.end(), working.language);
            screen.selected =
                found == screen.entries.end()
                    ? 0
                    : static_cast<int32_t>(std::distance(screen.entries.begin(), found));
            break;
        }
        case 4:
            screen.entries = namesEndingIn(kKelvaroFolder, ".ogg");
            screen.selected = entryFor(screen.entries, working.alarmfilename, kKelvaroFolder);
            break;
        case 6:
            screen.entries = namesEndingIn(kImagesFolder, ".bmp");
            screen.entries.insert(screen.entries.begin(), std::string());
            screen.selected = entryFor(screen.entries, working.daybackground, kImagesFolder);
            screen.selectedNight = entryFor(screen.entries, working.nightbackground, kImagesFolder);
            break;
        default:
            break;
    }
}

SetupGeometry geometryFor(int32_t number, int32_t width, int32_t height) {
    SetupGeometry g;
    g.width = width;
    g.height = height;
    g.gap = std::max(2, width / 160);
    g.barRowHeight = height / 8;
    g.barTop = height - 2 * g.barRowHeight - 2 * g.gap;
    // Screen 3 has no row labels; its three choices per row take the whole width. Elsewhere
    // the labels' column leaves each third of the row room for a colour text.
    g.labelWidth = number == 3 ? 0 : width * 15 / 64;
    // Screen 1 needs seven rows, screen 5 six; the others (at most five) keep the height
    // of one in five.
    const int32_t rows = number == 1 ? 7 : number == 5 ? 6 : 5;
    g.rowHeight = (g.barTop - g.gap) / rows;
    return g;
}

SetupColors standardColors() {
    SetupColors c;
    c.black = toColor565(0, 0, 0);
    c.navy = toColor565(0, 0, 128);
    c.white = toColor565(255, 255, 255);
    c.yellow = toColor565(255, 255, 0);
    c.green = toColor565(0, 128, 0);
    c.grey = toColor565(204, 204, 204);
    return c;
}

}  // namespace

SetupScreen* openSetupScreen(SetupScreens& screens, int32_t number, const Settings& working) {
    if (number < 1 || number > kSetupScreenCount) {
        return nullptr;
    }
    std::unique_ptr<SetupScreen>& slot = screens[static_cast<size_t>(number - 1)];
    if (!slot) {
        slot = std::make_unique<SetupScreen>();
        slot->number = number;
        slot->geometry = geometryFor(number, screenWidth(), screenHeight());
        slot->colors = standardColors();
        fillLists(*slot, working);
    }
    return slot.get();
}

int32_t setupCodeAt(const SetupScreen& screen, int32_t x, int32_t y) {
    return hitZone(screen.zones, x, y);
}

void destroySetupScreens(SetupScreens& screens) {
    for (std::unique_ptr<SetupScreen>& screen : screens) {
        screen.reset();
    }
}

}  // namespace kelvaro
