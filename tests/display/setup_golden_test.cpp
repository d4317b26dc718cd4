#include <gtest/gtest.h>

#include <string>

#include "app/language.h"
#include "app/settings.h"
#include "display/buttons.h"
#include "display/screen.h"
#include "display/setup_screens.h"
#include "display/text.h"
#include "tests/display/golden.h"
#include "tests/display/screen_fixture.h"
#include "tests/support/sim_runner.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

// A card with the three bundled languages, two sounds and two pictures; the working copy
// names one of each, so the frames do not depend on the order of the folders.
class SetupFrames : public testing::TestWithParam<std::pair<uint32_t, uint32_t>> {
  protected:
    SetupFrames() : device_(GetParam().first, GetParam().second) {
        fontsInstalled_ = device_.installFonts();
        initFonts();
        for (const std::string language : {"english.lng", "french.lng", "german.lng"}) {
            const std::string file = "kelvaro/" + language;
            device_.root().write("/mnt/sdcard/" + file,
                                 test::hostFileContent(test::cardFile(file)));
        }
        for (const char* file :
             {"speed_alarm.ogg", "chime.ogg", "images/forest.bmp", "images/stars.bmp"}) {
            device_.root().write(std::string("/mnt/sdcard/kelvaro/") + file, "");
        }
        working_ = Settings{};
        working_.nightbackground = "/mnt/sdcard/kelvaro/images/stars.bmp";
    }
    void SetUp() override {
        if (!fontsInstalled_) {
            GTEST_SKIP() << "Liberation Sans (fonts-liberation) is not installed";
        }
    }
    void TearDown() override { destroySetupScreens(screens_); }

    std::string size() const {
        return std::to_string(GetParam().first) + "x" + std::to_string(GetParam().second);
    }

    test::TestScreen device_;
    bool fontsInstalled_ = false;
    Settings working_;
    SetupScreens screens_;
};

TEST_P(SetupFrames, GoldenKeypad) {
    Keypad keypad = makeKeypad();
    keypadDraw(keypad, "-12.5");
    EXPECT_TRUE(test::matchesGolden("setup/keypad_" + size(), test::offscreenPicture(), 1));
}

// Every label of the bundled languages shows in full on both screen sizes; the English
// screens match their goldens.
TEST_P(SetupFrames, EveryScreenInEveryBundledLanguage) {
    for (const std::string language : {"english.lng", "french.lng", "german.lng"}) {
        LanguageTexts texts;
        loadLanguage(texts, "/mnt/sdcard/kelvaro", language);
        for (int32_t number = 1; number <= kSetupScreenCount; ++number) {
            SCOPED_TRACE(language + " screen " + std::to_string(number));
            SetupScreen* screen = openSetupScreen(screens_, number, working_);
            ASSERT_NE(screen, nullptr);
            EXPECT_EQ(drawSetupScreen(*screen, working_, texts), 0);
            if (language == "english.lng") {
                EXPECT_TRUE(
                    test::matchesGolden("setup/screen" + std::to_string(number) + "_" + size(),
                                        test::offscreenPicture(), 1));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(BothSizes, SetupFrames,
                         testing::Values(std::make_pair(320u, 240u), std::make_pair(480u, 272u)),
                         [](const testing::TestParamInfo<std::pair<uint32_t, uint32_t>>& info) {
                             return std::to_string(info.param.first) + "x" +
                                    std::to_string(info.param.second);
                         });

}  // namespace
}  // namespace kelvaro
