// Every line the track log writes, in each format, records variant and unit, against lines
// written out by hand.
#include <gtest/gtest.h>

#include "navlink/navigator_link.h"
#include "recording/track_text.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/recording/track_log_fixture.h"

namespace kelvaro::test {
namespace {

class TrackLogLines : public TrackLogTest {
  protected:
    // A second point a minute on, south-west of both zero lines, higher up.
    void writeSecondPoint() {
        trip_.now.minute = 43;
        trip_.altitude = 280.0;
        write("Elapsed 0:01:00", false, -12750, -3386500);
    }
};

TEST_F(TrackLogLines, AFinishedGpxLogReadsHeadRouteWaypointsTrack) {
    startLog(TrackFormat::Gpx);
    writeSecondPoint();
    finishTrackLog(trip_, texts_, nullptr);
    const std::string start =
        " lon=\"7.85000\" lat=\"47.99500\"><name>Start</name><desc>5.2 km</desc><cmt>42 "
        "km/h</cmt><time>2024-06-12T07:42:10Z</time><speed>12.5</speed><ele>278.36</ele><sat>8</"
        "sat><course>271</course>";
    const std::string elapsed =
        " lon=\"-0.12750\" lat=\"-33.86500\"><name>Elapsed 0:01:00</name><desc>5.2 "
        "km</desc><cmt>42 km/h</cmt><time>2024-06-12T07:43:10Z</time><speed>12.5</"
        "speed><ele>280</ele><sat>8</sat><course>271</course>";
    EXPECT_EQ(logFile(),
              "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\n"
              "<gpx\n"
              "\tversion=\"1.0\"\n"
              "\tcreator=\"Kelvaro v2.5 (https://kelvaro.example.org)\"\n"
              "\txmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
              "\txmlns=\"http://www.topografix.com/GPX/1/0\"\n"
              "\txmlns:topografix=\"http://www.topografix.com/GPX/Private/TopoGrafix/0/2\"\n"
              "\txsi:schemaLocation=\"http://www.topografix.com/GPX/1/0 "
              "http://www.topografix.com/GPX/1/0/gpx.xsd "
              "http://www.topografix.com/GPX/Private/TopoGrafix/0/2 "
              "http://www.topografix.com/GPX/Private/TopoGrafix/0/2/topografix.xsd\">\n"
              "<time>2024-06-12T07:42:10Z</time>\n"
              "<rte>\n"
              "\t<name>2024-06-12T07:42:10Z</name>\n"
              "\t<rtept" +
                  start +
                  "</rtept>\n"
                  "</rte>\n"
                  "<wpt" +
                  start +
                  "</wpt>\n"
                  "<trk>\n"
                  "\t<name>2024-06-12T07:42:10Z</name>\n"
                  "\t\t<trkseg>\n"
                  "\t\t<trkpt" +
                  start +
                  "</trkpt>\n"
                  "\t\t<trkpt" +
                  elapsed +
                  "</trkpt>\n"
                  "\t</trkseg>\n"
                  "</trk>\n"
                  "</gpx>\n");
}

TEST_F(TrackLogLines, AFinishedKmlLogReadsHeadRouteLineWaypointsTrackpoints) {
    startLog(TrackFormat::Kml);
    writeSecondPoint();
    finishTrackLog(trip_, texts_, nullptr);
    const std::string figures = " - 5.2 km - 42 km/h - 278.4 m - 8</description>";
    EXPECT_EQ(
        logFile(),
        "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
        "<kml xmlns=\"http://earth.google.com/kml/2.0\">\n"
        "<Folder>\n"
        "\t<Style id=\"WptIcon\">\n"
        "\t\t<IconStyle>\n"
        "\t\t\t<scale>0.75</scale>\n"
        "\t\t\t<Icon>\n"
        "\t\t\t\t<href>http://maps.google.com/mapfiles/kml/pushpin/ylw-pushpin.png</href>\n"
        "\t\t\t</Icon>\n"
        "\t\t</IconStyle>\n"
        "\t</Style>\n"
        "\t<Style id=\"TrkptIcon\">\n"
        "\t\t<IconStyle>\n"
        "\t\t\t<scale>0.5</scale>\n"
        "\t\t\t<Icon>\n"
        "\t\t\t\t<href>http://maps.google.com/mapfiles/kml/pushpin/blu-pushpin.png</href>\n"
        "\t\t\t</Icon>\n"
        "\t\t</IconStyle>\n"
        "\t</Style>\n"
        "\t<name>tm20240612_074210.kml : 12/06/2024 08:42:10</name>\n"
        "\t<Folder>\n"
        "\t\t<name>Routes</name>\n"
        "\t\t<Placemark>\n"
        "\t\t\t<name>12/06/2024 08:42:10</name>\n"
        "\t\t\t<Style>\n"
        "\t\t\t\t<LineStyle>\n"
        "\t\t\t\t\t<color>800000ff</color>\n"
        "\t\t\t\t\t<width>2</width>\n"
        "\t\t\t\t</LineStyle>\n"
        "\t\t\t</Style>\n"
        "\t\t\t<MultiGeometry>\n"
        "\t\t\t<LineString>\n"
        "\t\t\t\t<coordinates>\n"
        "\t\t\t\t7.85000,47.99500,278.36\n"
        "\t\t\t\t-0.12750,-33.86500,280\n"
        "\t\t\t\t</coordinates>\n"
        "\t\t\t</LineString>\n"
        "\t\t\t</MultiGeometry>\n"
        "\t\t</Placemark>\n"
        "\t</Folder>\n"
        "\t<Folder>\n"
        "\t\t<name>Waypoints</name>\n"
        "\t\t<Placemark>\n"
        "\t\t\t<name>Start</name>\n"
        "\t\t\t<styleUrl>#WptIcon</styleUrl>\n"
        "\t\t\t<description>08:42:10" +
            figures +
            "\n"
            "\t\t\t<Point><coordinates>7.85000,47.99500,278.36</coordinates></Point>\n"
            "\t\t</Placemark>\n"
            "\t</Folder>\n"
            "\t<Folder>\n"
            "\t\t<name>Trackpoints</name>\n"
            "\t\t<Folder>\n"
            "\t\t\t<name>2024-06-12T07:42:10Z</name>\n"
            "\t\t\t<Placemark><visibility>1</visibility>\n"
            "\t\t\t\t<name></name>\n"
            "\t\t\t\t<styleUrl>#TrkptIcon</styleUrl>\n"
            "\t\t\t\t<TimeInstant><timePosition>2024-06-12T07:42:10Z</timePosition></TimeInstant>\n"
            "\t\t\t\t<description>Start : 08:42:10" +
            figures +
            "\n"
            "\t\t\t\t<Point><coordinates>7.85000,47.99500,278.36</coordinates></Point>\n"
            "\t\t\t</Placemark>\n"
            "\t\t\t<Placemark><visibility>1</visibility>\n"
            "\t\t\t\t<name></name>\n"
            "\t\t\t\t<styleUrl>#TrkptIcon</styleUrl>\n"
            "\t\t\t\t<TimeInstant><timePosition>2024-06-12T07:43:10Z</timePosition></TimeInstant>\n"
            "\t\t\t\t<description>Elapsed 0:01:00 : 08:43:10 - 5.2 km - 42 km/h - 280.0 m - "
            "8</description>\n"
            "\t\t\t\t<Point><coordinates>-0.12750,-33.86500,280</coordinates></Point>\n"
            "\t\t\t</Placemark>\n"
            "\t\t</Folder>\n"
            "\t</Folder>\n"
            "</Folder>\n"
            "</kml>\n");
}

TEST_F(TrackLogLines, AnEmptyLabelLeavesEmptyNamesAndNoLabelParts) {
    startLog(TrackFormat::Kml);
    write("", true);
    finishTrackLog(trip_, texts_, nullptr);
    const std::string kml = logFile();
    EXPECT_NE(kml.find("\t\t\t<name></name>\n\t\t\t<styleUrl>#WptIcon"), std::string::npos);
    EXPECT_NE(kml.find("\t\t\t\t<description>08:42:10 - 5.2 km"), std::string::npos);

    liveSettings.logfilename = "none";
    startLog(TrackFormat::Itn);
    write("", false);
    EXPECT_EQ(logLines(), (std::vector<std::string>{
                              "785000|4799500|08:42:10 - Start - 278.4 m - 5.2 km - 42 km/h - 8|0|",
                              "785000|4799500|08:42:10 - 278.4 m - 5.2 km - 42 km/h - 8|0|"}));
}

struct LineRow {
    const char* legend;
    TrackFormat format;
    Records records;
    Units units;
    const char* header;  // CSV only
    const char* line;    // the line of the point "Start"
};

TEST_F(TrackLogLines, CsvAndItnLinesInEveryRecordsVariantAndUnit) {
    const LineRow rows[] = {
        {"csv long metric", TrackFormat::Csv, Records::Long, Units::Metric,
         "\"longitude\",\"latitude\",\"time\",\"location\",\"altitude\",\"distance\",\"speed\","
         "\"satellites\"",
         "7.85000,47.99500,\"08:42:10\",\"Start\",278.4,5.2,42,8"},
        {"csv medium metric", TrackFormat::Csv, Records::Medium, Units::Metric,
         "\"longitude\",\"latitude\",\"time\",\"location\",\"altitude\",\"distance\"",
         "7.85000,47.99500,\"08:42:10\",\"Start\",278.4,5.2"},
        {"itn long metric", TrackFormat::Itn, Records::Long, Units::Metric, nullptr,
         "785000|4799500|08:42:10 - Start - 278.4 m - 5.2 km - 42 km/h - 8|0|"},
        {"itn medium metric", TrackFormat::Itn, Records::Medium, Units::Metric, nullptr,
         "785000|4799500|08:42:10 - Start - 278.4 m - 5.2 km|0|"},
        {"itn short metric", TrackFormat::Itn, Records::Short, Units::Metric, nullptr,
         "785000|4799500|08:42:10 - Start - 278.4 m|0|"},
        {"itn long english", TrackFormat::Itn, Records::Long, Units::English, nullptr,
         "785000|4799500|08:42:10 - Start - 913.3 ft - 5.2 mi - 42 mph - 8|0|"},
        // Nautic altitudes are metres, and say so.
        {"itn long nautic", TrackFormat::Itn, Records::Long, Units::Nautic, nullptr,
         "785000|4799500|08:42:10 - Start - 278.4 m - 5.2 nm - 42 kn - 8|0|"},
    };
    for (const LineRow& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.logfilename = "none";
        liveSettings.units = row.units;
        trip_.now.second += 1;  // a file of its own for each row
        liveSettings.tracksaving = TrackSaving::New;
        const std::string time = "08:42:" + std::to_string(trip_.now.second);
        startLog(row.format, row.records);
        std::string expected = row.line;
        expected.replace(expected.find("08:42:10"), 8, time);
        const std::vector<std::string> lines = logLines();
        ASSERT_EQ(lines.size(), row.format == TrackFormat::Csv ? 2u : 1u);
        if (row.header != nullptr) {
            EXPECT_EQ(lines[0], row.header);
        }
        EXPECT_EQ(lines.back(), expected);
    }
}

// GPX and KML take the unit texts of the ITN lines above, and keep metres in their own
// elevation fields (one figure for both: the whole KML log holds where it goes).
TEST_F(TrackLogLines, ElevationFieldsStayInMetresBesideTheUnitTexts) {
    liveSettings.units = Units::English;
    startLog(TrackFormat::Gpx);
    EXPECT_NE(logFile(".trk").find("<desc>5.2 mi</desc><cmt>42 mph</cmt><time>2024-06-12T07:42:10Z"
                                   "</time><speed>12.5</speed><ele>278.36</ele>"),
              std::string::npos)
        << logFile(".trk");
}

TEST_F(TrackLogLines, NmeaLogsTheThreeRawSentencesThatArePresent) {
    gpsFix.lastRmc = "GPRMC,074210.000,A,4759.7000,N,00751.0000,E,22.7,271.0,120624,,,A*6C";
    gpsFix.lastGga = "";
    gpsFix.lastVtg = "GPVTG,271.0,T,,M,22.7,N,42.0,K,A*3F\nGPGSV,junk";
    startLog(TrackFormat::Nmea);
    gpsFix.lastGga = "GPGGA,074211.000,4759.7000,N,00751.0000,E,1,08,0.9,278.4,M,48.0,M,,*5A";
    write("", false);
    EXPECT_EQ(logFile(),
              "$GPRMC,074210.000,A,4759.7000,N,00751.0000,E,22.7,271.0,120624,,,A*6C\n"
              "$GPVTG,271.0,T,,M,22.7,N,42.0,K,A*3F\n"
              "$GPRMC,074210.000,A,4759.7000,N,00751.0000,E,22.7,271.0,120624,,,A*6C\n"
              "$GPGGA,074211.000,4759.7000,N,00751.0000,E,1,08,0.9,278.4,M,48.0,M,,*5A\n"
              "$GPVTG,271.0,T,,M,22.7,N,42.0,K,A*3F\n");
}

TEST_F(TrackLogLines, PoiPointsGoToTheNavigatorNumberedFromOne) {
    makeFolders(root_.path("/var/run"));
    ASSERT_EQ(startNavigatorLink(), 1);
    {
        ScriptedNavigator navigator(root_, std::string("0|\0", 3));
        trip_.pointsLogged = 17;  // of the log before: the count starts again with the head
        startLog(TrackFormat::Poi);
        write("", false, -12750, 4799500);
        write("a|b", false, -12750, 4799500);  // a "|" would end the name's argument
        ASSERT_EQ(navigator.requests.size(), 3u);
        const std::string name = liveSettings.logfilename;
        EXPECT_EQ(name, "tm20240612.poi");
        EXPECT_EQ(navigator.requests[0],
                  "AddPoiV01|" + name + "|785000|4799500|1:Start||" + std::string(1, '\0'));
        EXPECT_EQ(navigator.requests[1],
                  "AddPoiV01|" + name + "|-12750|4799500|2:||" + std::string(1, '\0'));
        EXPECT_EQ(navigator.requests[2],
                  "AddPoiV01|" + name + "|-12750|4799500|3:a/b||" + std::string(1, '\0'));
    }
    stopNavigatorLink();
    EXPECT_FALSE(root_.exists("/mnt/sdcard/itn/tm20240612.poi"));
}

TEST_F(TrackLogLines, SpecialCharactersCannotBreakTheRecordTheyAreIn) {
    struct Row {
        const char* legend;
        TrackFormat format;
        const char* file;  // suffix of the file to look in
        const char* expected;
    };
    const char* label = "A&B <\"x\"> | y\r\nz";
    setText(texts_, 46, "k&m");  // the kilometre's text
    const Row rows[] = {
        {"gpx name escaped", TrackFormat::Gpx, "",
         "<name>A&amp;B &lt;&quot;x&quot;&gt; | y  z</name>"},
        {"gpx unit text escaped", TrackFormat::Gpx, "", "<desc>5.2 k&amp;m</desc>"},
        {"kml name escaped", TrackFormat::Kml, ".rte",
         "\t\t\t<name>A&amp;B &lt;&quot;x&quot;&gt; | y  z</name>"},
        {"kml description escaped", TrackFormat::Kml, ".trk",
         "<description>A&amp;B &lt;&quot;x&quot;&gt; | y  z : 08:42:10"},
        {"csv quote doubled", TrackFormat::Csv, "", ",\"A&B <\"\"x\"\"> | y  z\",278.4,"},
        {"itn bar replaced", TrackFormat::Itn, "", "|08:42:10 - A&B <\"x\"> / y  z - 278.4 m"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        liveSettings.logfilename = "none";
        liveSettings.trackformat = row.format;
        nameTrackLog(trip_);
        beginTrackLog(trip_, Records::Long);
        write(label, true);
        EXPECT_NE(logFile(row.file).find(row.expected), std::string::npos) << logFile(row.file);
    }
    EXPECT_EQ(csvText("plain, text\tand tab"), "plain, text\tand tab");
}

}  // namespace
}  // namespace kelvaro::test
