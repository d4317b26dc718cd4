// Decimal fields read without strtod where they are plain digits: the very doubles strtod
// gives, on hand-picked texts and on every field of the shipped drives and the receiver
// logs.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "position/gps_feed.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

// What the decoder read before: strtod of the text, garbage and absurd magnitudes as 0.
double strtodField(std::string_view text) {
    const std::string copy(text);
    const double value = std::strtod(copy.c_str(), nullptr);
    return std::isfinite(value) && std::fabs(value) <= 1e6 ? value : 0.0;
}

// Bit for bit, so that -0.0 and 0.0 differ.
bool same(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(DecimalField, SameDoublesAsStrtod) {
    const char* const rows[] = {
        "-0.0",
        "+3.5",
        "-",
        ".",
        "1e3",
        " 12",
        "0x10",
        "inf",
        "nan",
        "12.3.4",
        "999999.9",
        "1000000.1",
        "-1000000",
        "123456789012345",
        "1234567890123456",
        "0.000000000000001",
        "99999999999999.9",
    };
    for (const char* row : rows) {
        SCOPED_TRACE(row);
        EXPECT_TRUE(same(decimalField(row), strtodField(row)))
            << decimalField(row) << " against " << strtodField(row);
    }
}

// Every field as the decoder splits it, and the pieces a coordinate is read in.
void checkEveryField(const std::string& log, int64_t* checked) {
    GpsFix fix;
    for (size_t start = 0; start < log.size();) {
        const size_t end = std::min(log.find('\n', start), log.size() - 1) + 1;
        collectChunk(fix, log.data() + start, end - start);
        start = end;
        for (const std::string_view field : fix.fields) {
            const std::string_view pieces[] = {field, field.substr(0, 2), field.substr(0, 3),
                                               field.substr(std::min<size_t>(2, field.size())),
                                               field.substr(std::min<size_t>(3, field.size()))};
            for (const std::string_view piece : pieces) {
                ASSERT_TRUE(same(decimalField(piece), strtodField(piece))) << piece;
                ++*checked;
            }
        }
        fix.fields.clear();
    }
}

TEST(DecimalField, SameDoublesOnEveryLoggedField) {
    const std::string folders[] = {std::string(KELVARO_SOURCE_DIR) + "/data/drives",
                                   std::string(KELVARO_SHARED_DIR) + "/nmea",
                                   std::string(KELVARO_SHARED_DIR) + "/nmea-edge"};
    int64_t checked = 0;
    for (const std::string& folder : folders) {
        std::error_code missing;
        for (const auto& entry : std::filesystem::directory_iterator(folder, missing)) {
            const std::string extension = entry.path().extension().string();
            if (extension == ".nmea" || extension == ".log") {
                SCOPED_TRACE(entry.path().string());
                checkEveryField(test::hostFileContent(entry.path()), &checked);
            }
        }
    }
    // The shipped drives alone hold some twenty thousand sentences.
    EXPECT_GT(checked, 500000);
}

}  // namespace
}  // namespace kelvaro
