// Every preference of the application, its defaults, and the configuration file
// "/mnt/sdcard/kelvaro/config.txt" that stores them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kelvaro {

struct Rgb {
    int32_t red = 0;
    int32_t green = 0;
    int32_t blue = 0;
};

inline bool operator==(const Rgb& a, const Rgb& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue;
}
inline bool operator!=(const Rgb& a, const Rgb& b) {
    return !(a == b);
}

// The enumerations are stored as int32 and keep the numbers of the file's keywords.
enum class TrackFormat : int32_t { Csv = 0, Gpx = 1, Itn = 2, Kml = 3, Poi = 4, Nmea = 5 };
enum class TrackSaving : int32_t { Append = 0, New = 1 };
enum class Units : int32_t { Metric = 0, English = 1, Nautic = 2 };
enum class ColorScheme : int32_t { Day = 0, Night = 1, Auto = 2 };
enum class CompassStyle : int32_t { Numeric = 0, Litteral = 1, Both = 2 };
enum class Records : int32_t { Long = 0, Short = 1, Medium = 2 };
enum class Coordinates : int32_t { Decimal = 0, DegMinSec = 1, DegMinute = 2 };
enum class SpeedAlarm : int32_t { Visual = 0, Audible = 1, Both = 2 };
enum class ScreenAdaptation : int32_t { None = 0, Rider2 = 1, OneXl = 2 };

struct Settings {
    int32_t processperiod = 500;
    int32_t trackperiod = 60;
    TrackFormat trackformat = TrackFormat::Itn;
    int32_t trackcourse = 45;
    TrackSaving tracksaving = TrackSaving::Append;
    Units units = Units::Metric;
    ColorScheme colorscheme = ColorScheme::Day;
    int32_t speedlimit = 0;
    int32_t maxspeedvalue = 0;
    CompassStyle compass = CompassStyle::Both;
    Records records = Records::Long;
    Coordinates coordinates = Coordinates::Decimal;
    int32_t inclinometer = 5;
    SpeedAlarm speedalarm = SpeedAlarm::Visual;
    int32_t speedPresets[4] = {50, 90, 110, 130};
    int32_t speedPresetLead = 0;
    int32_t altitudeMessagePeriod = 30;
    int32_t alarmRepeatPeriod = 10;
    ScreenAdaptation screenadaptation = ScreenAdaptation::None;
    Rgb topforegroundcolors[3] = {{0, 0, 0}, {255, 255, 255}, {204, 204, 204}};
    Rgb bottomforegroundcolors[3] = {{255, 255, 255}, {255, 255, 255}, {204, 204, 204}};
    Rgb topbackgroundcolors[2] = {{255, 255, 255}, {0, 0, 0}};
    Rgb bottombackgroundcolors[2] = {{0, 0, 128}, {0, 0, 128}};
    Rgb linescolors[2] = {{204, 204, 204}, {204, 204, 204}};
    Rgb labelcolors[2] = {{255, 0, 0}, {255, 255, 0}};
    double geoidSeparation = 48.0;
    double gmtoffset = 1.0;
    double trackDistance = 2.0;
    double accelerometer = 0.0;
    double trackDistance2 = 0.5;
    std::string language = "english.lng";
    std::string logfilename = "none";
    std::string alarmfilename = "/mnt/sdcard/kelvaro/speed_alarm.ogg";
    std::string daybackground;
    std::string nightbackground;
    bool snapping = true;
    bool geoidCorrection = false;
    bool autologging = false;
    bool maxspeeddisplay = false;
    bool bootstart = false;
    bool altitudeMessages = false;
    bool alarmRepeat = false;
};

// The live settings, read by every module, and the working copy that the setup screens
// edit. Both live for the whole process.
extern Settings liveSettings;
extern Settings workingSettings;

// Defaults into the live settings, bootstart from the start-at-boot list, then a copy
// into the working copy.
void loadDefaults();

// Reads the configuration file into the live settings; keys that are absent keep their
// values. When the file could be opened, the working copy is refreshed.
void readSettings();

// Writes the given record as the configuration file: to a file beside it, synced, then
// renamed over it, so that the old file stays until the new one is whole. An unwritable
// card is skipped silently.
void writeSettings(Settings settings);

// True when a line of "/mnt/sdcard/cleanup.txt" contains the text.
bool cleanupListContains(const std::string& text);

// The reader and the writer without the file, for tests and the fuzz target: the lines of a
// configuration text applied to a record, and the 45 lines that store a record.
void readSettingsText(std::string_view text, Settings& settings);
std::string settingsText(const Settings& settings);

}  // namespace kelvaro
