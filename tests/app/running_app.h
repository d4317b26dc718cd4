// An application in a fresh device root at 320 x 240, stepped turn by turn, its feed a real
// FIFO that the test writes sentences into.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/application.h"
#include "sim/card.h"
#include "tests/support/temp_root.h"

namespace kelvaro::test {

// "$BODY*CS" and the line end, with the checksum a receiver gives.
inline std::string sentence(const std::string& body) {
    uint8_t sum = 0;
    for (const char c : body) {
        sum ^= static_cast<uint8_t>(c);
    }
    char checksum[8];
    std::snprintf(checksum, sizeof checksum, "*%02X\r\n", sum);
    return "$" + body + checksum;
}

// A fix at 12:35:SS on the given date (ddmmyy), four satellites, standing in Munich.
inline std::string fixSentences(int second, const char* date = "081226") {
    char gga[128];
    char rmc[128];
    std::snprintf(gga, sizeof gga,
                  "GPGGA,1235%02d.000,4807.0380,N,01131.0000,E,1,04,0.9,545.4,M,46.9,M,,", second);
    std::snprintf(rmc, sizeof rmc, "GPRMC,1235%02d.000,A,4807.0380,N,01131.0000,E,0.0,0.0,%s,,,A",
                  second, date);
    return sentence(gga) + sentence(rmc);
}

class RunningApp : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(sim::prepareRoot(root_.root(), sim::projectCard(), 320, 240, &error)) << error;
        makeFeed();
    }
    // A started application that has not stopped leaves through its exit sequence.
    void TearDown() override {
        closeFeed();
        if (app_.trip) {
            if (app_.trip->page != Page::Stopped) {
                app_.trip->page = Page::Exiting;
                runTurn(app_);
            }
            finishApplication(app_);
        }
    }

    void makeFeed() {
        ASSERT_EQ(::mkfifo(feedPath_.c_str(), 0644), 0);
        writer_ = ::open(feedPath_.c_str(), O_RDWR | O_NONBLOCK);
        ASSERT_GE(writer_, 0);
    }
    void closeFeed() {
        if (writer_ >= 0) {
            ::close(writer_);
            writer_ = -1;
            ::unlink(feedPath_.c_str());
        }
    }
    void feed(const std::string& bytes) {
        ASSERT_EQ(::write(writer_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Started and one fix of 2026-12-08 taken: the trip runs.
    void startRunning() {
        startApplication(app_);
        runTurn(app_);
        feed(fixSentences(1));
        runTurn(app_);
        ASSERT_EQ(page(), Page::Running);
    }
    Page page() const { return app_.trip->page; }

    TempRoot root_;
    const std::string feedPath_ = root_.path("/var/run/gpsfeed");
    int writer_ = -1;
    Application app_;
};

}  // namespace kelvaro::test
