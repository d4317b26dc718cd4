// The simulator's fresh card: the project's card content as it is, the stand-in fonts,
// files already there kept, a card folder that cannot be read refused; and a second run on
// the same card still finds the alarm sound the settings name.
#include "sim/card.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/settings.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

TEST(Card, FreshRootHoldsTheCardContentAndTheFonts) {
    test::TempRoot root;
    root.write("/mnt/sdcard/kelvaro/english.lng", "a card of the tester's own\r\n");
    std::string error;
    ASSERT_TRUE(sim::prepareRoot(root.root(), sim::projectCard(), 320, 240, &error)) << error;

    const std::map<std::string, std::string> card = test::filesUnder(sim::projectCard());
    ASSERT_GT(card.count("/kelvaro/speed_alarm.ogg"), 0u);
    for (const auto& [path, content] : card) {
        SCOPED_TRACE(path);
        const std::string expected =
            path == "/kelvaro/english.lng" ? "a card of the tester's own\r\n" : content;
        EXPECT_TRUE(root.read("/mnt/sdcard" + path) == expected);
    }
    for (const char* font : {"/mnt/sdcard/skin/Arial.ttf", "/mnt/sdcard/skin/Arialbd.ttf"}) {
        EXPECT_GT(root.read(font).size(), 10000u) << font;
    }
    EXPECT_EQ(root.read("/dev/fb").size(), 2u * 320u * 240u * 2u);
}

TEST(Card, CardFolderThatCannotBeReadIsRefused) {
    test::TempRoot root;
    std::string error;
    EXPECT_FALSE(sim::prepareRoot(root.root(), root.path("/no-such-card"), 320, 240, &error));
    EXPECT_NE(error.find("no-such-card"), std::string::npos) << error;
}

// The default alarm sound is on the card, so the settings written by the first run name it
// and the second run reads the same name back.
TEST(Card, SecondRunKeepsTheDefaultAlarmSound) {
    test::TempRoot root;
    const std::string line = "alarmfilename " + Settings{}.alarmfilename + "\n";
    for (int run = 1; run <= 2; ++run) {
        SCOPED_TRACE(run);
        EXPECT_EQ(test::runSimulator({}, root.root()).exitStatus, 0);
        EXPECT_NE(root.read("/mnt/sdcard/kelvaro/config.txt").find(line), std::string::npos);
    }
}

}  // namespace
}  // namespace kelvaro
