// Small pieces that the log readers share: lines, numbers, the fields of our XML lines,
// times and the card's display units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/settings.h"
#include "tools/kelvaro-report/track.h"

namespace kelvaro::report {

// The lines of a text without their "\n" or "\r\n". `lastOpen` tells whether the text
// ends inside a line (no newline after the last one).
[[nodiscard]] std::vector<std::string_view> linesOf(std::string_view text, bool* lastOpen);

// The whole text as a number, or nothing ("12.5", "-0.12750"; not "12.5 km", not "").
[[nodiscard]] std::optional<double> numberOf(std::string_view text);
[[nodiscard]] std::optional<int64_t> integerOf(std::string_view text);

// The number at the start of a text that goes on with a blank and a unit: "42 km/h".
[[nodiscard]] std::optional<double> numberBeforeUnit(std::string_view text);

// The text between "<tag>" and "</tag>" in a line, or nothing.
[[nodiscard]] std::optional<std::string_view> elementText(std::string_view line,
                                                          std::string_view tag);

// The value of name="..." in a line, or nothing.
[[nodiscard]] std::optional<std::string_view> attributeText(std::string_view line,
                                                            std::string_view name);

// The entities our writers make (&amp; &lt; &gt; &quot; &apos;) back into characters.
[[nodiscard]] std::string xmlUnescaped(std::string_view text);

// "2024-06-12T07:42:10Z" as seconds since 1970, or nothing.
[[nodiscard]] std::optional<int64_t> isoUtcSeconds(std::string_view text);

// "08:42:10" as seconds of the day, or nothing.
[[nodiscard]] std::optional<int32_t> clockSeconds(std::string_view text);

// Seconds since 1970 of a UTC date and time.
[[nodiscard]] int64_t utcSecondsOf(int64_t year, int64_t month, int64_t day, int64_t secondOfDay);

// The pieces of a text between the separators; "a - b" at " - " gives "a", "b".
[[nodiscard]] std::vector<std::string_view> piecesOf(std::string_view text,
                                                     std::string_view separator);

// A point on the earth whose figures a car could have: anything else is a damaged record.
[[nodiscard]] bool plausiblePoint(const LoggedPoint& point);

// The points of a log of one point per line (CSV, ITN): blank lines and those that begin
// with `header` are passed over, a line that `readLine` refuses is a damaged record, and a
// last line without its newline is cut off.
using LineReader = bool (*)(std::string_view line, const Settings& settings, LoggedPoint* point);
void readPointLines(std::string_view text, std::string_view header, LineReader readLine,
                    const Settings& settings, TrackLog* log);

// Display units: what one km/h and one metre of altitude are in the card's units.
[[nodiscard]] double speedFactor(Units units);
[[nodiscard]] double altitudeFactor(Units units);

// The units whose unit word follows a figure's number ("905 ft", "24 mph", "21 kn"), by the
// words of the program's language files; `card`, the card's units, for a figure without a
// word or with another one. Altitudes are metres ("m") or feet ("ft"), speeds km/h, mph or
// knots ("kn", "nd").
[[nodiscard]] Units altitudeUnitsOf(std::string_view figure, Units card);
[[nodiscard]] Units speedUnitsOf(std::string_view figure, Units card);

}  // namespace kelvaro::report
