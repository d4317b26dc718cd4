// The real receiver logs through the simulator: each gives a trip, and its distance agrees
// with the distance its fixes cover.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/host_readers.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

const std::string kLogDir = std::string(KELVARO_SHARED_DIR) + "/nmea";

// The distance each log's fixes cover, reckoned over the log apart from the program, with
// haversine on the mean earth radius: a fix is valid from a GGA of quality 1 or 2 with a
// satellite until a GGA without or an RMC not "A"; the trip starts with the first valid fix
// that has a date from 2001 on. Each GPS second ends with its last valid position, and the
// step to it counts under the trip's gates: 1 to 340 m/s, or 1 to 100 m/s and over 25 m
// when it bridges a loss of fix, and never more than twice the receiver's speed plus 5 m/s.
// The standing receivers' steps all stay under 1 m/s.
//
// The two readings differ where the program rounds positions to 1e-5 degree (up to 1.1 m
// a fix), takes 0.539 for the knot, and goes by its polls rather than by GPS seconds: a
// receiver that ends its lines with a bare line feed has the last sentence of each burst
// read with the next burst, so some seconds are taken together as one step. On a walk
// that turns back on itself, with steps at the 1 m/s gate, that is some 13 m of 105 m;
// the car and the boat agree within a metre, the standing receivers within a few.
constexpr double kShare = 0.03;
constexpr double kMetres = 15.0;

TEST(ReceiverLogTrips, EachLogGivesATripOfTheDistanceItsFixesCover) {
    const struct {
        const char* log;
        double metres;
    } rows[] = {
        {"bt451.log", 32.86},        {"bundg_zeus_9.log", 423.76},
        {"haicom-305N.log", 105.09}, {"telit-he910.log", 0.0},
        {"skytraq-dgps.log", 0.0},   {"gp-320fw-2019-04-07-coldboot.log", 0.0},
    };
    if (test::hostFileContent(kLogDir + "/README.md").empty()) {
        GTEST_SKIP() << "no receiver logs in " << kLogDir;
    }
    for (const auto& row : rows) {
        SCOPED_TRACE(row.log);
        test::TempRoot root;
        const test::SimRun run =
            test::runSimulator({"--nmea", kLogDir + "/" + row.log}, root.root());
        EXPECT_EQ(run.exitStatus, 0);
        const std::string summary = root.read("/mnt/sdcard/kelvaro/tripsummary.log");
        const std::vector<std::string> f = test::partsOf(summary, ',');
        ASSERT_EQ(f.size(), 15u) << summary;
        EXPECT_NE(f[1].rfind("00/00/0000", 0), 0u) << "a trip started";
        const double metres = std::atof(f[14].c_str()) * test::clockSeconds(f[3]) / 3.6;
        EXPECT_NEAR(metres, row.metres, std::max(kMetres, row.metres * kShare));
    }
}

}  // namespace
}  // namespace kelvaro
