// A navigator that falls silent for five minutes while the audible alarm keeps asking it
// for a sound: the loop keeps its pace, so the GPX log has a point for every GPS second, and
// the alarm is answered again once the navigator speaks.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {
namespace {

// The seconds of the day of every track point's time "...T10:04:05Z".
std::set<int> trackSeconds(const std::string& gpx) {
    std::set<int> seconds;
    for (const std::string& line : textLines(gpx)) {
        const size_t at = line.find("<time>");
        if (line.rfind("\t\t<trkpt ", 0) == 0 && at != std::string::npos) {
            seconds.insert(clockSeconds(line.substr(at + 6 + 11)));  // after "YYYY-MM-DDT"
        }
    }
    return seconds;
}

TEST(NavigatorSilence, FiveSilentMinutesCostNoGpsSecond) {
    TempRoot root;
    root.write("/mnt/sdcard/kelvaro/config.txt",
               "autologging yes\ntrackformat gpx\ntrackperiod 1\ntrackcourse 0\n"
               "trackdistance 0\nspeedalarm audible\nspeedlimit 5\nalarmperiod yes 1\n");
    // The navigator answers every late request with -1 once it speaks again; the user stops
    // the log near the end.
    root.write("/events",
               "0 navigator-status -1\n5 navigator-silent\n305 navigator-answer\n"
               "325 tap 60 30\n");
    const SimRun run = runSimulator({"--nmea", dataFile("drives/hour.nmea"), "--max-seconds", "330",
                                     "--events", root.path("/events")},
                                    root.root());
    EXPECT_GE(reportValue(run.report, "requests_answered"), 280.0);

    std::string gpx;
    for (const auto& [name, content] : filesUnder(root.path("/mnt/sdcard/itn"))) {
        gpx += content;
    }
    ASSERT_GT(gpx.size(), 7u);
    EXPECT_EQ(gpx.substr(gpx.size() - 7), "</gpx>\n") << "one finished log";
    const std::set<int> seconds = trackSeconds(gpx);
    ASSERT_FALSE(seconds.empty());
    EXPECT_GT(seconds.size(), 300u);
    EXPECT_EQ(static_cast<int>(seconds.size()), *seconds.rbegin() - *seconds.begin() + 1)
        << "a GPS second is missing from the log";
    EXPECT_EQ(countOf(root.read("/navigator.log"), "PlaySoundFileV01"),
              static_cast<size_t>(reportValue(run.report, "requests_answered")));
}

}  // namespace
}  // namespace kelvaro::test
