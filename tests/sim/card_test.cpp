// The simulator's fresh card: the project's card content as it is, with the alarm sound the
// settings name by default, the stand-in fonts, files already there kept, a card folder that
// cannot be read refused.
#include "sim/card.h"

#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/settings.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

TEST(Card, FreshRootHoldsTheCardContentAndTheFonts) {
    test::TempRoot root;
    root.write("/mnt/sdcard/kelvaro/english.lng", "a card of the tester's own\r\n");
    std::string error;
    ASSERT_TRUE(sim::prepareRoot(root.root(), sim::projectCard(), 320, 240, &error)) << error;

    // The default sound is there, so the settings a run writes keep its name for the next.
    ASSERT_TRUE(root.exists(Settings{}.alarmfilename));
    const std::map<std::string, std::string> card = test::filesUnder(sim::projectCard());
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

}  // namespace
}  // namespace kelvaro
