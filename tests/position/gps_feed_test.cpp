// The feed reader: the decoder on sentences handed to the collector, the chunking over a
// real FIFO, and the real receiver logs checked against gpsd's decoding of them.
#include "position/gps_feed.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

const char kMunichGga[] = "$GPGGA,123519.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*47";

void decode(GpsFix& fix, const std::string& text) {
    collectChunk(fix, text.data(), text.size());
    resolveSpeed(fix);
}

GpsFix validMunichFix() {
    GpsFix fix;
    decode(fix, std::string(kMunichGga) + "\r\n");
    return fix;
}

// Hours, minutes, seconds or day, month, year; latitude and longitude.
using Time = std::tuple<int32_t, int32_t, int32_t>;
using Position = std::pair<int32_t, int32_t>;

TEST(GpsDecoder, GgaExampleGivesAValidFixInMunich) {
    const GpsFix fix = validMunichFix();
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(Time(fix.hour, fix.minute, fix.second), Time(12, 35, 19));
    EXPECT_EQ(Position(fix.latitude, fix.longitude), Position(4811730, 1151666));
    EXPECT_DOUBLE_EQ(fix.altitude, 545.4);
    EXPECT_DOUBLE_EQ(fix.geoidSeparation, 46.9);
    EXPECT_EQ(fix.satellites, 8);
    EXPECT_EQ(fix.lastGga, std::string(kMunichGga + 1));
    EXPECT_EQ(fix.parserState, 0);
}

// A GGA without a fix keeps the position and altitude of the last one, but its time is
// taken.
TEST(GpsDecoder, GgaValidityNeedsQualityOneOrTwoAndASatellite) {
    struct Row {
        const char* legend;
        const char* quality;
        const char* satellites;
        bool valid;
        int32_t satellitesAfter;
    };
    const Row rows[] = {
        {"GPS fix", "1", "08", true, 8},
        {"differential fix", "2", "12", true, 12},
        {"no fix", "0", "08", false, 8},
        {"dead reckoning", "6", "08", false, 8},
        {"empty quality", "", "08", false, 8},
        {"no satellites", "1", "00", false, 0},
        {"thirteen stands for more than twelve", "1", "13", true, 13},
        {"fourteen in open sky is a fix", "1", "14", true, 13},
        {"a negative count counts its absolute value", "1", "-5", true, 5},
        {"an empty count keeps the previous one", "1", "", true, 8},
        {"an overflowing count saturates", "1", "99999999999999999999", true, 13},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GpsFix fix = validMunichFix();
        decode(fix, std::string("$GPGGA,123520,5000.0000,N,00900.0000,E,") + row.quality + "," +
                        row.satellites + ",0.9,100.0,M,46.9,M,,*00\r");
        EXPECT_EQ(fix.valid, row.valid);
        EXPECT_EQ(fix.satellites, row.satellitesAfter);
        EXPECT_EQ(Position(fix.latitude, fix.longitude),
                  row.valid ? Position(5000000, 900000) : Position(4811730, 1151666));
        EXPECT_DOUBLE_EQ(fix.altitude, row.valid ? 100.0 : 545.4);
        EXPECT_EQ(fix.second, 20);
    }
}

TEST(GpsDecoder, RmcCanClearValidityButNeverSetIt) {
    GpsFix fix = validMunichFix();
    decode(fix, "$GPRMC,123520,V,4807.038,N,01131.000,E,,,230394,,*24\r\n");
    EXPECT_FALSE(fix.valid);
    decode(fix, "$GPRMC,123521,A,4900.000,N,01131.000,E,10.0,90.0,230394,,*33\r\n");
    EXPECT_FALSE(fix.valid);
    EXPECT_EQ(fix.latitude, 4811730);
    EXPECT_DOUBLE_EQ(fix.rmcSpeedKnots, 0.0);
    EXPECT_EQ(fix.second, 19);  // an RMC without a fix leaves the GGA's time
}

TEST(GpsDecoder, RmcWithAFixGivesPositionTimeSpeedCourseAndDate) {
    GpsFix fix = validMunichFix();
    decode(fix, "$GPRMC,081836.75,A,3751.65,S,14507.36,W,005.5,054.7,130998,011.3,E\r\n");
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(Position(fix.latitude, fix.longitude), Position(-3786083, -14512266));
    EXPECT_DOUBLE_EQ(fix.rmcSpeedKnots, 5.5);
    EXPECT_DOUBLE_EQ(fix.course, 54.7);
    EXPECT_EQ(fix.lastRmc, "GPRMC,081836.75,A,3751.65,S,14507.36,W,005.5,054.7,130998,011.3,E");
}

TEST(GpsDecoder, RmcEmptyFieldsKeepTheirValues) {
    GpsFix fix = validMunichFix();
    decode(fix, "$GPRMC,123520,A,4807.038,N,01131.000,E,3.0,45.0,230394,,*33\r\n");
    decode(fix, "$GPRMC,,A,,,,,,,,,\r\n");
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(fix.latitude, 4811730);
    EXPECT_EQ(fix.second, 20);
    EXPECT_DOUBLE_EQ(fix.rmcSpeedKnots, 3.0);
    EXPECT_DOUBLE_EQ(fix.course, 45.0);
    EXPECT_EQ(fix.year, 2094);
}

TEST(GpsDecoder, TimeAndDateFieldsAreReadAsTwoDigitNumbers) {
    struct Row {
        const char* legend;
        const char* time;
        const char* date;
        int32_t hour, minute, second;
        int32_t day, month, year;
    };
    // The fix starts at 12:35:19 on 01/01/2020.
    const Row rows[] = {
        {"fraction dropped", "235959.999", "311224", 23, 59, 59, 31, 12, 2024},
        {"no fraction", "000000", "010100", 0, 0, 0, 1, 1, 2000},
        {"two fields only leave the time", "1236", "2302", 12, 35, 19, 23, 2, 2020},
        {"one field only leaves the date", "12", "23", 12, 35, 19, 1, 1, 2020},
        {"letters leave both", "ab1234", "xy0101", 12, 35, 19, 1, 1, 2020},
        {"blanks before a number are skipped", " 1 2 3", " 1 2 3", 1, 2, 3, 1, 2, 2003},
        {"a leap second", "235960", "311224", 23, 59, 60, 31, 12, 2024},
        {"hour 24: the sentence is not taken", "240000", "311224", 12, 35, 19, 1, 1, 2020},
        {"minute 60: not taken", "126000", "311224", 12, 35, 19, 1, 1, 2020},
        {"second 61: not taken", "123561", "311224", 12, 35, 19, 1, 1, 2020},
        {"a negative hour: not taken", "-10000", "311224", 12, 35, 19, 1, 1, 2020},
        {"day 32: not taken", "000000", "321224", 12, 35, 19, 1, 1, 2020},
        {"day 0: not taken", "000000", "001224", 12, 35, 19, 1, 1, 2020},
        {"month 13: not taken", "000000", "311324", 12, 35, 19, 1, 1, 2020},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GpsFix fix = validMunichFix();
        decode(fix, "$GPRMC,123519,A,4807.038,N,01131.000,E,0.0,0.0,010120,,\r");
        decode(fix, std::string("$GPRMC,") + row.time + ",A,4807.038,N,01131.000,E,0.0,0.0," +
                        row.date + ",,\r");
        EXPECT_EQ(Time(fix.hour, fix.minute, fix.second), Time(row.hour, row.minute, row.second));
        EXPECT_EQ(Time(fix.day, fix.month, fix.year), Time(row.day, row.month, row.year));
    }
}

TEST(GpsDecoder, CoordinatesAreDegreesAndMinutesTruncatedToHundredThousandths) {
    struct Row {
        const char* legend;
        const char* lat;
        const char* ns;
        const char* lon;
        const char* ew;
        int32_t latitude;
        int32_t longitude;
    };
    const Row rows[] = {
        {"north east", "4807.038", "N", "01131.000", "E", 4811730, 1151666},
        {"south west", "4916.45", "S", "12311.12", "W", -4927416, -12318533},
        {"eight decimals", "4805.30256324", "N", "11629.09084774", "W", 4808837, -11648484},
        {"south pole", "9000.0000", "S", "00000.0000", "E", -9000000, 0},
        {"letters read as zero", "abcd", "N", "efghi", "E", 0, 0},
        {"short fields are all degrees", "5", "N", "7", "E", 500000, 700000},
        {"empty hemisphere keeps the old value", "5000.000", "", "00900.000", "", 4811730, 1151666},
        {"empty value keeps the old value", "", "N", "", "E", 4811730, 1151666},
        {"absurd minutes read as zero", "489999999", "N", "0119999999", "E", 4800000, 1100000},
        {"a latitude just over 90: the sentence is not taken", "9000.0001", "S", "00900.000", "E",
         4811730, 1151666},
        {"the date line", "0000.000", "N", "18000.000", "W", 0, -18000000},
        {"a longitude of 180.5 degrees: not taken", "5000.000", "N", "18030.000", "E", 4811730,
         1151666},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GpsFix fix = validMunichFix();
        decode(fix, std::string("$GPGGA,123520,") + row.lat + "," + row.ns + "," + row.lon + "," +
                        row.ew + ",1,08,0.9,545.4,M,46.9,M,,*00\r");
        EXPECT_EQ(Position(fix.latitude, fix.longitude), Position(row.latitude, row.longitude));
    }
}

TEST(GpsDecoder, SentencesWithTooFewFieldsOnlyStoreTheirText) {
    struct Row {
        const char* legend;
        const char* sentence;
    };
    const Row rows[] = {
        {"GGA of 11 fields", "GPGGA,123520,5000.000,N,00900.000,E,1,05,0.9,100.0,M"},
        {"RMC of 9 fields", "GPRMC,123520,V,5000.000,N,00900.000,E,20.0,90.0"},
        {"VTG of 7 fields", "GPVTG,90.0,T,,M,10.0,N"},
        // Old receivers send VTG without the km/h pair: the checksum is no speed.
        {"VTG whose eighth field is its checksum", "GPVTG,,T,,M,0.00,N*1B"},
        {"GGA whose twelfth field is its checksum",
         "GPGGA,123520,5000.000,N,00900.000,E,0,05,0.9,100.0,M*11"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GpsFix fix = validMunichFix();
        decode(fix, std::string("$") + row.sentence + "\r\n");
        const GpsFix reference = validMunichFix();
        EXPECT_TRUE(fix.valid);
        EXPECT_EQ(fix.latitude, reference.latitude);
        EXPECT_EQ(fix.second, reference.second);
        EXPECT_DOUBLE_EQ(fix.vtgSpeedKmh, 0.0);
        EXPECT_DOUBLE_EQ(fix.speedKmh, 0.0);
        const std::string type = std::string(row.sentence).substr(0, 5);
        const std::string& raw = type == "GPGGA"   ? fix.lastGga
                                 : type == "GPRMC" ? fix.lastRmc
                                                   : fix.lastVtg;
        EXPECT_EQ(raw, row.sentence);
    }
}

TEST(GpsDecoder, SpeedComesFromVtgElseFromRmcKnotsOverPoint539) {
    struct Row {
        const char* legend;
        const char* rmcKnots;
        const char* vtgKmh;
        double speedKmh;
    };
    const Row rows[] = {
        {"VTG zero, RMC ten knots", "10.0", "0.0", 10.0 / 0.539},
        {"VTG wins when it has a speed", "10.0", "20.0", 20.0},
        {"VTG only", "0.0", "33.3", 33.3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        GpsFix fix = validMunichFix();
        decode(fix, std::string("$GPRMC,123520,A,4807.038,N,01131.000,E,") + row.rmcKnots +
                        ",0.0,230394,,*00\r\n$GPVTG,0.0,T,,M," + row.rmcKnots + ",N," + row.vtgKmh +
                        ",K*00\r\n");
        EXPECT_DOUBLE_EQ(fix.speedKmh, row.speedKmh);
    }
}

// The shortest VTG that carries a speed: eight fields, the km/h figure last before the
// checksum.
TEST(GpsDecoder, VtgSpeedIsTakenOnlyWithAValidFix) {
    GpsFix fix;
    decode(fix, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2*2F\r\n");
    EXPECT_DOUBLE_EQ(fix.vtgSpeedKmh, 0.0);
    fix = validMunichFix();
    decode(fix, "$GPVTG,054.7,T,034.4,M,005.5,N,010.2*2F\r\n");
    EXPECT_DOUBLE_EQ(fix.vtgSpeedKmh, 10.2);
    EXPECT_DOUBLE_EQ(fix.speedKmh, 10.2);
    EXPECT_EQ(fix.lastVtg, "GPVTG,054.7,T,034.4,M,005.5,N,010.2*2F");
}

TEST(GpsDecoder, GgaRmcAndVtgOfEverySatelliteTalkerAreDecoded) {
    struct Row {
        const char* talker;
        bool decoded;
    };
    const Row rows[] = {
        {"GP", true}, {"GN", true}, {"GL", true},  {"GA", true},
        {"GB", true}, {"BD", true}, {"II", false}, {"P", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.talker);
        const std::string t = std::string("$") + row.talker;
        GpsFix fix;
        decode(fix, t + "GGA,081836,3751.65,S,14507.36,W,1,14,0.9,12.5,M,1.0,M,,*00\r\n" + t +
                        "RMC,081837,A,3751.65,S,14507.37,W,10.0,54.7,130998,,*00\r\n" + t +
                        "VTG,54.7,T,,M,10.0,N,18.5,K*00\r\n");
        EXPECT_EQ(fix.valid, row.decoded);
        EXPECT_EQ(fix.latitude, row.decoded ? -3786083 : 0);
        EXPECT_EQ(fix.second, row.decoded ? 37 : 0);
        EXPECT_EQ(fix.day, row.decoded ? 13 : 0);
        EXPECT_DOUBLE_EQ(fix.speedKmh, row.decoded ? 18.5 : 0.0);
        EXPECT_EQ(fix.lastVtg.empty(), !row.decoded);
    }
}

TEST(GpsDecoder, FieldsAreCutAtCommasAndAsterisksAndEndAtTwentyFourCharacters) {
    GpsFix fix;
    decode(fix, "$GPGGA,,a,*47\r");
    EXPECT_EQ(fix.fields, (std::vector<std::string_view>{"GPGGA", "", "a", "", "47"}));

    const std::string thirty(30, 'x');
    decode(fix, "$GPTXT,01," + thirty + ",more,fields*00\r");
    EXPECT_EQ(fix.fields, (std::vector<std::string_view>{"GPTXT", "01", thirty.substr(0, 24)}));

    decode(fix, "$GPTXT," + std::string(23, 'y') + ",next\r");
    EXPECT_EQ(fix.fields.size(), 3u);
}

// Two vectors from the test suites of NMEA parser libraries, with what our rules make of
// them: a double dollar still decodes the sentence after it (17.02528 is 17.0252799... in
// binary and is truncated), and without a dollar there is no sentence.
TEST(GpsDecoder, ParserLibraryEdgeVectors) {
    GpsFix fix;
    decode(fix, "$$GPGGA,123204.00,5106.94086,N,01701.51680,E,1,06,3.86,127.9,M,40.5,M,,*51\r\n");
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(Position(fix.latitude, fix.longitude), Position(5111568, 1702527));
    GpsFix none;
    decode(none, "GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,,,,*47\r\n");
    EXPECT_FALSE(none.valid);
    EXPECT_EQ(Position(none.latitude, none.longitude), Position(0, 0));
}

TEST(GpsCollector, ASentenceEndsOnlyAtCarriageReturnOrDollar) {
    GpsFix fix;
    const std::string gga(kMunichGga);
    decode(fix, gga.substr(0, 20));
    EXPECT_EQ(fix.parserState, 1);
    EXPECT_FALSE(fix.valid);
    decode(fix, gga.substr(20) + "\n");
    EXPECT_FALSE(fix.valid);  // a line feed alone does not end it
    decode(fix, "$");
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(fix.lastGga, gga.substr(1));  // the line feed is not part of the raw text
    EXPECT_EQ(fix.parserState, 1);
}

TEST(GpsCollector, ANulByteEndsTheChunkButNotTheSentence) {
    GpsFix fix;
    const std::string gga(kMunichGga);
    std::string chunk = gga.substr(0, 10);
    chunk += '\0';
    chunk += "junk that is never read\r";
    decode(fix, chunk);
    EXPECT_EQ(fix.parserState, 1);
    decode(fix, gga.substr(10) + "\r");
    EXPECT_TRUE(fix.valid);
    EXPECT_EQ(fix.lastGga, gga.substr(1));
}

TEST(GpsCollector, AnOverlongSentenceIsDroppedWithTheRestOfItsChunk) {
    GpsFix fix;
    const std::string gga = std::string(kMunichGga) + "\r\n";
    decode(fix, "$GPTXT," + std::string(1100, 'x') + gga);
    EXPECT_FALSE(fix.valid);
    EXPECT_EQ(fix.parserState, 0);
    // The collector is not stuck: the next chunk is read from its first "$".
    decode(fix, "xxxx" + gga);
    EXPECT_TRUE(fix.valid);
}

TEST(GpsCollector, SentencesUpTo1024CharactersAreKept) {
    for (const size_t length : {1024, 1025}) {
        SCOPED_TRACE(length);
        GpsFix fix;
        decode(fix, "$GPTXT," + std::string(length - 6, 'x') + "\r");
        EXPECT_EQ(!fix.fields.empty() && fix.fields[0] == "GPTXT", length == 1024);
    }
}

// A reset fix takes what comes next as a fresh one does: neither the last fix nor a
// sentence cut off in the middle is left to mix with it.
TEST(GpsFixRecord, ResetForgetsEverything) {
    const std::string gga = kMunichGga;
    const std::string head = gga.substr(0, 26);
    GpsFix used = validMunichFix();
    decode(used, head);
    used.reset();
    GpsFix fresh;
    const auto seen = [](const GpsFix& f) {
        return std::make_tuple(f.valid, f.latitude, f.longitude, f.altitude, f.satellites, f.hour,
                               f.minute, f.second, f.fd, f.lastGga);
    };
    for (const std::string& next : {gga.substr(26) + "\r\n", gga + "\r\n"}) {
        decode(used, next);
        decode(fresh, next);
        EXPECT_EQ(seen(used), seen(fresh)) << next;
    }
    EXPECT_TRUE(used.valid);
}

// The feed as the navigator publishes it: a FIFO that the program opens without blocking.
class GpsFeed : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::makeFolders(root_.path("/var/run")));
        path_ = root_.path("/var/run/gpsfeed");
        ASSERT_EQ(::mkfifo(path_.c_str(), 0644), 0);
        ASSERT_TRUE(fix_.open(path_));
        writer_ = ::open(path_.c_str(), O_WRONLY | O_NONBLOCK);
        ASSERT_GE(writer_, 0);
    }
    void TearDown() override {
        closeWriter();
        fix_.close();
    }
    void feed(const std::string& bytes) {
        ASSERT_EQ(::write(writer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void closeWriter() {
        if (writer_ >= 0) {
            ::close(writer_);
            writer_ = -1;
        }
    }
    size_t pendingBytes() {
        char buffer[4096];
        size_t total = 0;
        ssize_t got = 0;
        while ((got = ::read(fix_.fd, buffer, sizeof buffer)) > 0) {
            total += static_cast<size_t>(got);
        }
        return total;
    }

    test::TempRoot root_;
    std::string path_;
    GpsFix fix_;
    int writer_ = -1;
};

// A GGA at the given second of 12:mm:ss, padded with a GPTXT to exactly `size` bytes.
std::string ggaOfSize(int secondOfHour, size_t size) {
    char gga[128];
    std::snprintf(gga, sizeof gga,
                  "$GPGGA,12%02d%02d.000,4807.0380,N,01131.0000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n",
                  secondOfHour / 60, secondOfHour % 60);
    std::string text(gga);
    const std::string padding = "$GPTXT,";
    text += padding + std::string(size - text.size() - padding.size() - 2, 'p') + "\r\n";
    return text;
}

TEST_F(GpsFeed, NothingPendingKeepsTheLastValidity) {
    EXPECT_FALSE(fix_.poll(1024));
    feed(std::string(kMunichGga) + "\r\n");
    EXPECT_TRUE(fix_.poll(1024));
    EXPECT_TRUE(fix_.poll(1024));
    EXPECT_TRUE(fix_.feedOpen);
}

TEST_F(GpsFeed, ASentenceSplitAcrossPollsIsDecodedWhenItEnds) {
    const std::string gga = std::string(kMunichGga) + "\r\n";
    feed(gga.substr(0, 30));
    EXPECT_FALSE(fix_.poll(1024));
    EXPECT_EQ(fix_.parserState, 1);
    feed(gga.substr(30));
    EXPECT_TRUE(fix_.poll(1024));
    EXPECT_EQ(fix_.latitude, 4811730);
}

TEST_F(GpsFeed, ABacklogOfMoreThanFourChunksIsDrainedAndItsPartialSentenceDropped) {
    // Six 1024-byte chunks, each starting with a GGA of its own second; a seventh GGA is cut
    // at the end of the fourth chunk.
    std::string backlog;
    for (int i = 0; i < 6; ++i) {
        backlog += ggaOfSize(i, 1024);
    }
    const std::string cut = std::string(kMunichGga).substr(0, 40);
    backlog.replace(4 * 1024 - cut.size(), cut.size(), cut);
    feed(backlog);
    EXPECT_TRUE(fix_.poll(1024));
    EXPECT_EQ(fix_.second, 3);  // the fourth chunk's GGA, none later
    EXPECT_EQ(fix_.parserState, 0);
    EXPECT_EQ(fix_.sentence[0], '\0');
    EXPECT_EQ(pendingBytes(), 0u);
    feed(ggaOfSize(42, 200));
    EXPECT_TRUE(fix_.poll(1024));
    EXPECT_EQ(fix_.second, 42);
}

TEST_F(GpsFeed, EndOfFeedClearsValidAndFeedOpenOnly) {
    feed(std::string(kMunichGga) + "\r\n");
    EXPECT_TRUE(fix_.poll(1024));
    closeWriter();
    EXPECT_FALSE(fix_.poll(1024));
    EXPECT_FALSE(fix_.valid);
    EXPECT_FALSE(fix_.feedOpen);
    EXPECT_EQ(fix_.latitude, 4811730);
    EXPECT_EQ(fix_.satellites, 8);
    fix_.close();
    EXPECT_EQ(fix_.fd, -1);
}

// The real receiver logs, with gpsd's decoding of the same bytes beside them.
const std::string kLogDir = std::string(KELVARO_SHARED_DIR) + "/nmea";

// Milliseconds of the day of "hhmmss.sss", or -1.
int64_t timeKey(const std::string& field) {
    if (field.size() < 6 || !std::all_of(field.begin(), field.begin() + 6, ::isdigit)) {
        return -1;
    }
    const int64_t hms = std::atoll(field.substr(0, 6).c_str());
    const double fraction = field.size() > 6 ? std::atof(field.substr(6).c_str()) : 0.0;
    return (hms / 10000 * 3600 + hms / 100 % 100 * 60 + hms % 100) * 1000 +
           std::llround(fraction * 1000.0);
}

struct GpsdFix {
    int32_t year, month, day;
    double lat, lon;
};

double jsonNumber(const std::string& line, const std::string& key) {
    const size_t at = line.find("\"" + key + "\":");
    return at == std::string::npos ? NAN : std::atof(line.c_str() + at + key.size() + 3);
}

// gpsd's reports with a time and a position, by the time of day.
std::multimap<int64_t, GpsdFix> gpsdFixes(const std::string& chk) {
    std::multimap<int64_t, GpsdFix> fixes;
    std::istringstream lines(chk);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t at = line.find("\"time\":\"");
        if (line.find("\"class\":\"TPV\"") == std::string::npos || at == std::string::npos) {
            continue;
        }
        const double lat = jsonNumber(line, "lat");
        const double lon = jsonNumber(line, "lon");
        if (std::isnan(lat) || std::isnan(lon)) {
            continue;
        }
        // "2007-04-08T09:53:05.802Z"
        const std::string time = line.substr(at + 8, 24);
        GpsdFix fix{std::atoi(time.c_str()), std::atoi(time.c_str() + 5),
                    std::atoi(time.c_str() + 8), lat, lon};
        const std::string hms = time.substr(11, 2) + time.substr(14, 2) + time.substr(17);
        fixes.emplace(timeKey(hms.substr(0, hms.find('Z'))), fix);
    }
    return fixes;
}

TEST(ReceiverLogs, PositionsAndTimesAgreeWithGpsd) {
    struct Row {
        const char* log;
        int minimumComparisons;
        double toleranceUnits;  // of 1e-5 degree: truncation plus gpsd's rounding
    };
    // The chartplotter's GGA and RMC run up to an epoch behind its GLL, the position gpsd
    // reports; the boat makes about 3 m a second.
    const Row rows[] = {
        {"bt451.log", 20, 1.5},         {"bundg_zeus_9.log", 200, 6.0},
        {"haicom-305N.log", 100, 1.5},  {"telit-he910.log", 300, 1.5},
        {"skytraq-dgps.log", 150, 1.5}, {"gp-320fw-2019-04-07-coldboot.log", 1, 1.5},
    };
    if (test::hostFileContent(kLogDir + "/README.md").empty()) {
        GTEST_SKIP() << "no receiver logs in " << kLogDir;
    }
    for (const Row& row : rows) {
        SCOPED_TRACE(row.log);
        const std::string log = test::hostFileContent(kLogDir + "/" + row.log);
        const std::multimap<int64_t, GpsdFix> reference =
            gpsdFixes(test::hostFileContent(kLogDir + "/gpsd-chk/" + row.log + ".chk"));
        ASSERT_FALSE(log.empty());
        ASSERT_FALSE(reference.empty());
        GpsFix fix;
        std::vector<std::string> before;
        const auto fieldsNow = [&fix] {
            return std::vector<std::string>(fix.fields.begin(), fix.fields.end());
        };
        int comparisons = 0;
        // Line by line, so that every decoded sentence can be looked at.
        for (size_t start = 0; start < log.size();) {
            const size_t end = std::min(log.find('\n', start), log.size() - 1) + 1;
            decode(fix, log.substr(start, end - start));
            start = end;
            if (fieldsNow() == before || !fix.valid ||
                (fix.fields[0] != "GPGGA" && fix.fields[0] != "GPRMC")) {
                before = fieldsNow();
                continue;
            }
            before = fieldsNow();
            const int64_t key = timeKey(std::string(fix.fields[1]));
            const auto [first, last] = reference.equal_range(key);
            if (first == last) {
                continue;
            }
            EXPECT_EQ(fix.hour * 3600 + fix.minute * 60 + fix.second, key / 1000);
            bool samePosition = false;
            bool sameDate = false;
            for (auto it = first; it != last; ++it) {
                const double tolerance = row.toleranceUnits;
                samePosition =
                    samePosition || (std::fabs(it->second.lat * 1e5 - fix.latitude) < tolerance &&
                                     std::fabs(it->second.lon * 1e5 - fix.longitude) < tolerance);
                sameDate = sameDate || (it->second.year == fix.year &&
                                        it->second.month == fix.month && it->second.day == fix.day);
            }
            EXPECT_TRUE(samePosition) << fix.fields[0] << " at " << fix.fields[1];
            if (fix.fields[0] == "GPRMC") {
                EXPECT_TRUE(sameDate) << fix.fields[1];
            }
            ++comparisons;
        }
        EXPECT_GE(comparisons, row.minimumComparisons);
    }
}

}  // namespace
}  // namespace kelvaro
