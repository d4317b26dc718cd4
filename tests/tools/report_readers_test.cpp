// The report's readers on the logs the program writes: the same drive logged in each of the
// five formats reads back as the same track, damaged and cut records are left out, and the
// trip summary's lines are taken apart around their captions.
#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"
#include "tools/kelvaro-report/card.h"
#include "tools/kelvaro-report/log_readers.h"
#include "tools/kelvaro-report/log_text.h"

namespace kelvaro::report {
namespace {

constexpr const char* kFormats[] = {"gpx", "kml", "csv", "itn", "nmea"};

// The fix-loss drive logged every 5 seconds, by default in miles, mph and feet: a loss of fix
// in the tunnel, a stop at the end, and a log left open at the exit.
struct DriveCard {
    test::TempRoot root;
    ReportInput input;
    std::string logPath;
};

const DriveCard& driveIn(const std::string& format, const std::string& units = "english") {
    static std::map<std::string, std::unique_ptr<DriveCard>> cards;
    std::unique_ptr<DriveCard>& card = cards[format + " " + units];
    if (!card) {
        card = std::make_unique<DriveCard>();
        card->root.write(
            "/mnt/sdcard/kelvaro/config.txt",
            "autologging yes\ntrackperiod 5\nunits " + units + "\ntrackformat " + format + "\n");
        test::runSimulator({"--nmea", test::dataFile("drives/fix-loss.nmea")}, card->root.root());
        EXPECT_TRUE(readCard(card->root.path("/mnt/sdcard"), &card->input));
        finishLogs(&card->input);
        if (!card->input.logs.empty()) {
            card->logPath = card->root.path("/mnt/sdcard/itn/" + card->input.logs[0].name);
        }
    }
    return *card;
}

const TrackLog& onlyLog(const DriveCard& card) {
    static const TrackLog none;
    EXPECT_EQ(card.input.logs.size(), 1u);
    return card.input.logs.empty() ? none : card.input.logs.front();
}

// The log's text; an open GPX or KML log as its end will join it: main file, waypoints, track.
std::string logText(const DriveCard& card) {
    std::string text;
    for (const char* part : {"", ".rte", ".trk"}) {
        std::string partText;
        bool tooLarge = false;
        if (readFileBounded(card.logPath + part, &partText, &tooLarge)) {
            text += partText;
        }
    }
    return text;
}

class ReportFormats : public ::testing::TestWithParam<const char*> {};

// One format per test, so that each runs two drives at most (the format's and the GPX one
// it is held against) and stays short under qemu.
TEST_P(ReportFormats, OneDriveGivesTheTrackAndProfilesOfItsGpxLog) {
    const TrackLog& gpx = onlyLog(driveIn("gpx"));
    ASSERT_GT(gpx.points.size(), 30u);
    const TrackProfile reference = profileOf(gpx, driveIn("gpx").input.settings);
    EXPECT_EQ(reference.figures.fixLosses, 1);
    EXPECT_GE(reference.figures.stops, 1);
    EXPECT_GT(reference.figures.topSpeedKmh, 65.0);
    EXPECT_GT(reference.figures.climbMetres, 30.0);
    const char* format = GetParam();
    const DriveCard& card = driveIn(format);
    const TrackLog& log = onlyLog(card);
    EXPECT_FALSE(log.cutOff);
    EXPECT_EQ(log.damagedRecords, 0);
    // The program left its GPX and KML logs open at the exit, their parts unjoined.
    const bool xml = std::string(format) == "gpx" || std::string(format) == "kml";
    EXPECT_EQ(log.stillOpen, xml);
    ASSERT_EQ(log.points.size(), gpx.points.size());
    const TrackProfile profile = profileOf(log, card.input.settings);
    for (size_t i = 0; i < log.points.size(); ++i) {
        SCOPED_TRACE("point " + std::to_string(i));
        const LoggedPoint& p = log.points[i];
        const LoggedPoint& q = gpx.points[i];
        // The raw sentences are finer than the 1/100000 degree of the other formats.
        EXPECT_NEAR(p.lat, q.lat, 1.5e-5);
        EXPECT_NEAR(p.lon, q.lon, 1.5e-5);
        EXPECT_EQ(p.seconds, q.seconds);
        EXPECT_EQ(p.localSecondOfDay, q.localSecondOfDay);
        EXPECT_NEAR(p.altitudeMetres, q.altitudeMetres, 0.05);  // feet to 0.1
        // Whole mph, whole km/h over 3.6 to 0.1 m/s, the receiver's own km/h.
        EXPECT_NEAR(profile.speedKmh[i], reference.speedKmh[i], 2.0);
        EXPECT_NEAR(profile.distanceMetres[i], reference.distanceMetres[i],
                    3.0 + reference.distanceMetres[i] * 1e-3);
        EXPECT_EQ(profile.legs[i], reference.legs[i]);
        EXPECT_NEAR(profile.slopePercent[i], reference.slopePercent[i], 0.5);
        if (std::string(format) != "nmea") {
            EXPECT_EQ(p.label, q.label);
        }
        if (log.marksWaypoints) {
            EXPECT_EQ(p.isWaypoint, q.isWaypoint);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Logs, ReportFormats, ::testing::ValuesIn(kFormats),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param);
                         });

TEST(ReportReaders, ALogInEnglishUnitsReadWithMetricSettingsGivesTheMetricLogsFigures) {
    for (const char* format : {"itn", "kml"}) {
        SCOPED_TRACE(format);
        const DriveCard& metric = driveIn(format, "metric");
        LogFormat logFormat;
        ASSERT_TRUE(formatOfName(metric.logPath, &logFormat));
        TrackLog log = readTrackLog(logFormat, logText(driveIn(format)), metric.input.settings);
        finishTrack(log, metric.input.settings);
        // The distance waypoints fall every 2 miles in one log, every 2 km in the other.
        std::map<int64_t, LoggedPoint> reference;
        for (const LoggedPoint& q : onlyLog(metric).points) {
            reference.emplace(q.seconds, q);
        }
        size_t matched = 0;
        for (const LoggedPoint& p : log.points) {
            if (const auto q = reference.find(p.seconds); q != reference.end()) {
                SCOPED_TRACE("second " + std::to_string(p.seconds));
                matched += 1;
                EXPECT_NEAR(p.altitudeMetres, q->second.altitudeMetres, 0.1);
                EXPECT_NEAR(p.speedKmh, q->second.speedKmh, 1.7);  // whole mph, whole km/h
            }
        }
        EXPECT_GT(matched, log.points.size() - 5);
    }
    // A word no language file of the program has leaves the card's units.
    EXPECT_EQ(speedUnitsOf("21 nd", Units::Metric), Units::Nautic);
    EXPECT_EQ(speedUnitsOf("21 knots", Units::English), Units::English);
}

TEST(ReportReaders, DamagedRecordsAreLeftOutAndCounted) {
    const std::string gpx =
        "\t\t<trkpt lon=\"7.84051\" lat=\"47.99745\"><name>Start</name><desc>0.0 km</desc>"
        "<cmt>0 km/h</cmt><time>2024-06-12T07:42:10Z</time><speed>0.0</speed><ele>278.4</ele>"
        "<sat>8</sat><course>0</course></trkpt>\n";
    const std::string kml =
        "\t\t\t<Placemark><visibility>1</visibility>\n\t\t\t\t<name></name>\n"
        "\t\t\t\t<styleUrl>#TrkptIcon</styleUrl>\n"
        "\t\t\t\t<TimeInstant><timePosition>2024-06-12T07:42:10Z</timePosition></TimeInstant>\n"
        "\t\t\t\t<description>08:42:10 - 0.0 km - 0 km/h - 278.4 m - 8</description>\n"
        "\t\t\t\t<Point><coordinates>7.84051,47.99745,278.36</coordinates></Point>\n"
        "\t\t\t</Placemark>\n";
    const std::string csv = "7.84051,47.99745,\"08:42:10\",\"Start, \"\"here\"\"\",278.4\n";
    const std::string itn = "784051|4799745|08:42:10 - Start - 278.4 m|0|\n";
    const std::string rmc =
        "$GPRMC,074210.00,A,4759.8473,N,00750.4309,E,0.02,24.53,120624,,,A*64\n";
    struct Row {
        const char* legend;
        LogFormat format;
        std::string text;
        size_t points;
        int32_t damaged;
        bool cutOff;
    };
    const Row rows[] = {
        {"GPX point without its time", LogFormat::Gpx,
         gpx + "\t\t<trkpt lon=\"7.8\" lat=\"47.9\"><ele>1</ele></trkpt>\n", 1, 1, false},
        {"GPX point north of the pole", LogFormat::Gpx,
         gpx + "\t\t<trkpt lon=\"7.8\" lat=\"95.0\"><time>2024-06-12T07:42:11Z</time></trkpt>\n", 1,
         1, false},
        {"GPX point cut off", LogFormat::Gpx, gpx + gpx.substr(0, 40), 1, 0, true},
        {"KML placemark without coordinates", LogFormat::Kml,
         kml + kml.substr(0, kml.find("\t\t\t\t<Point>")) + "\t\t\t</Placemark>\n", 1, 1, false},
        {"KML placemark cut off", LogFormat::Kml, kml + kml.substr(0, 60) + "\n", 1, 0, true},
        {"CSV quote never closed", LogFormat::Csv, csv + "7.8,47.9,\"08:42:11\",\"open,1.0\n", 1, 1,
         false},
        {"CSV line of seven fields", LogFormat::Csv, csv + "7.8,47.9,\"08:42:11\",\"\",1,2,3\n", 1,
         1, false},
        {"ITN longitude that is no number", LogFormat::Itn,
         itn + "7.8|4799745|08:42:11 - 278.4 m|0|\n", 1, 1, false},
        {"ITN line cut off", LogFormat::Itn, itn + "784051|47997", 1, 0, true},
        {"NMEA sentence with a wrong checksum", LogFormat::Nmea,
         rmc + rmc.substr(0, rmc.size() - 2) + "5\n", 1, 1, false},
        {"NMEA sentence cut off", LogFormat::Nmea, rmc + rmc.substr(0, 30), 1, 0, true},
        {"NMEA without a fix", LogFormat::Nmea, rmc + "$GPRMC,172216.00,V,,,,,,,130624,,,N*7E\n", 1,
         0, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const TrackLog log = readTrackLog(row.format, row.text, Settings{});
        EXPECT_EQ(log.points.size(), row.points);
        EXPECT_EQ(log.damagedRecords, row.damaged);
        EXPECT_EQ(log.cutOff, row.cutOff);
    }
    EXPECT_EQ(readCsv(csv, Settings{}).points[0].label, "Start, \"here\"");
}

TEST(ReportReaders, APartOfAnOpenLogCutInsideARecordIsCutOffNotDamaged) {
    const std::string point =
        " lon=\"7.84051\" lat=\"47.99745\"><name></name><time>2024-06-12T07:42:10Z</time>";
    test::TempRoot root;
    root.write("/tm.gpx", "<gpx>\n<rte>\n");
    root.write("/tm.gpx.rte", "<wpt" + point.substr(0, 20));  // the power cut
    root.write("/tm.gpx.trk", "\t\t<trkpt" + point + "</trkpt>\n");
    ReportInput input;
    addFile(root.path("/tm.gpx"), &input);
    ASSERT_EQ(input.logs.size(), 1u);
    EXPECT_TRUE(input.logs[0].cutOff);
    EXPECT_EQ(input.logs[0].damagedRecords, 0);
    EXPECT_EQ(input.logs[0].points.size(), 1u);
}

TEST(ReportReaders, AnNmeaPointBeforeTheFirstDateTakesThatDate) {
    const std::string rows[] = {
        "$GPGGA,074209.00,4759.8473,N,00750.4309,E,1,09,1.0,276.0,M,49.5,M,,*6C\n"
        "$GPRMC,074210.00,A,4759.8473,N,00750.4309,E,0.02,24.53,120624,,,A*64\n",
        "$GPGGA,235959.00,4759.8473,N,00750.4309,E,1,09,1.0,276.0,M,49.5,M,,*65\n"
        "$GPRMC,000000.00,A,4759.8473,N,00750.4309,E,0.02,24.53,130624,,,A*65\n",
    };
    for (const std::string& text : rows) {
        const TrackLog log = readNmea(text, Settings{});
        ASSERT_EQ(log.points.size(), 2u);
        EXPECT_TRUE(log.points[0].hasUtc);
        EXPECT_EQ(log.points[1].utcSeconds - log.points[0].utcSeconds, 1);
    }
}

TEST(ReportReaders, TripSummaryLinesAreTakenApartAroundTheirCaptions) {
    struct Row {
        const char* legend;
        const char* text;
        size_t trips;
        const char* startCaption;
        const char* endCaption;
        double endLat;
        bool cutOff;
        size_t damaged;
    };
    const Row rows[] = {
        {"as written",
         "12/06/2024 08:52:10,12/06/2024 08:42:10,0:10:00,0:08:31,7.84051,47.99745,Start,"
         "7.84049,47.99741,End,  5.2,0,52,31.2,36.6\n",
         1, "Start", "End", 47.99741, false, 0},
        {"commas in both captions",
         "12/06/2024 08:52:10,12/06/2024 08:42:10,0:10:00,0:08:31,7.8,47.9,Go, now,7.7,47.5,"
         "Stop, here, 12.0,9999,52,31.2,36.6\n",
         1, "Go, now", "Stop, here", 47.5, false, 0},
        {"a line cut off after a whole one",
         "12/06/2024 08:52:10,12/06/2024 08:42:10,0:10:00,0:08:31,7.8,47.9,S,7.7,47.5,E,"
         "  0.0,9999,0,0,0\n12/06/2024 09:",
         1, "S", "E", 47.5, true, 0},
        {"a line that is no trip, then one that is",
         "garbage,1,2\n12/06/2024 08:52:10,12/06/2024 08:42:10,26:03:09,0:08:31,7.8,47.9,S,"
         "7.7,47.5,E,  0.0,9999,0,0,0\n",
         1, "S", "E", 47.5, false, 1},
        {"fifteen fields but no numbers",
         "12/06/2024 08:52:10,12/06/2024 08:42:10,0:10:00,0:08:31,a,b,c,d,e,f,g,h,i,j,k\n", 0, "",
         "", 0.0, false, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const TripSummary summary = readTripSummary(row.text);
        ASSERT_EQ(summary.trips.size(), row.trips);
        EXPECT_EQ(summary.cutOff, row.cutOff);
        EXPECT_EQ(summary.damagedLines.size(), row.damaged);
        if (row.trips == 1) {
            EXPECT_EQ(summary.trips[0].startCaption, row.startCaption);
            EXPECT_EQ(summary.trips[0].endCaption, row.endCaption);
            EXPECT_DOUBLE_EQ(summary.trips[0].endLat, row.endLat);
        }
    }
}

TEST(ReportReaders, TheSimulatedDriveLeavesOneTripInTheSummary) {
    const DriveCard& card = driveIn("itn");
    ASSERT_TRUE(card.input.haveSummary);
    ASSERT_EQ(card.input.summary.trips.size(), 1u);
    const TripLine& trip = card.input.summary.trips[0];
    EXPECT_EQ(trip.start, "13/06/2024 18:20:30");  // UTC date, local time
    // Miles, as the card's settings have it, and as far as the track goes.
    const double trackMiles =
        profileOf(onlyLog(card), card.input.settings).figures.distanceMetres / 1609.344;
    EXPECT_NEAR(trip.distance, trackMiles, trackMiles * 0.05);
    EXPECT_NEAR(trip.endLat, onlyLog(card).points.back().lat, 1e-3);
}

}  // namespace
}  // namespace kelvaro::report
