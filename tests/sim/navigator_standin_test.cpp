// The navigator stand-in against the program's own link: requests logged and answered,
// the scripted status and silence, and requests sent to the program.
#include "sim/navigator_standin.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "navlink/navigator_link.h"
#include "platform/platform.h"
#include "platform/simulated_platform.h"
#include "sim/events.h"
#include "sim/world.h"
#include "tests/support/host_readers.h"
#include "tests/support/temp_root.h"

namespace kelvaro::sim {
namespace {

constexpr uint64_t kSecond = 1000000;

struct RecordingHandler : MCommandHandlerInterface {
    void HandleMessage(MTomTomCommunicationLayerInterface* layer, MTomTomSession*) override {
        std::vector<std::string> arguments;
        for (int32_t i = 0; i < layer->Arguments().GetCount(); ++i) {
            arguments.push_back(layer->Arguments().GetArgument(i));
        }
        messages.push_back(arguments);
    }
    std::vector<std::vector<std::string>> messages;
};

class NavigatorStandInTest : public ::testing::Test {
  protected:
    void run(const std::string& script) {
        test::makeFolders(root_.path("/var/run"));
        root_.write("/events.txt", script);
        std::vector<Event> events;
        std::string error;
        ASSERT_TRUE(readEvents(root_.path("/events.txt"), &events, &error)) << error;
        Options options;
        options.root = root_.root();
        world_ = std::make_unique<World>(options, std::move(events));
        platform::sim::setSleepHook([this](uint64_t now) { world_->step(now); });
        world_->step(0);
    }
    ~NavigatorStandInTest() override {
        stopNavigatorLink();
        platform::sim::setSleepHook(nullptr);
    }
    void sleepUntil(uint64_t microseconds) {
        platform::sleepMicroseconds(
            static_cast<uint32_t>(microseconds - platform::sim::virtualMicroseconds()));
    }

    test::TempRoot root_;
    std::unique_ptr<World> world_;
};

TEST_F(NavigatorStandInTest, CommandsAreLoggedEscapedAndTheirAnswerFilesAreGone) {
    run("");
    ASSERT_EQ(startNavigatorLink(), 1);
    int32_t status = 99;
    EXPECT_EQ(navigatorCommands()->PlaySoundFile(status, "/mnt/sdcard/kelvaro/speed_alarm.ogg", 1),
              0);
    EXPECT_EQ(status, 0);
    navigatorCommands()->FlashMessage(status, "Alt\xe9 \"12\" \\ m\x01", 4000);
    EXPECT_EQ(root_.read("/navigator.log"),
              "{\"time\": 0.100, \"command\": \"PlaySoundFileV01\", \"arguments\": "
              "[\"/mnt/sdcard/kelvaro/speed_alarm.ogg\", \"1\"]}\n"
              "{\"time\": 0.200, \"command\": \"FlashMessageV01\", \"arguments\": "
              "[\"Alt\\u00e9 \\\"12\\\" \\\\ m\\u0001\", \"4000\"]}\n");
    EXPECT_TRUE(test::filesUnder(root_.path("/var/run")).empty());
    EXPECT_EQ(world_->requestsAnswered, 2u);
}

TEST_F(NavigatorStandInTest, ScriptedStatusSilenceAndResume) {
    run("0 navigator-status 7\n"
        "1 navigator-silent\n"
        "10 navigator-answer\n");
    ASSERT_EQ(startNavigatorLink(), 1);
    int32_t status = 0;
    EXPECT_EQ(navigatorCommands()->ClearRoute(status), 0);
    EXPECT_EQ(status, 7);

    sleepUntil(1 * kSecond);
    const uint64_t asked = platform::sim::virtualMicroseconds();
    EXPECT_EQ(navigatorCommands()->ClearRoute(status), kMalformedAnswer);
    EXPECT_EQ(status, kMalformedAnswer);
    const uint64_t waited = platform::sim::virtualMicroseconds() - asked;
    EXPECT_EQ(waited, 100000u * CTomTomFileLayer::kAnswerWaitPolls);
    EXPECT_EQ(test::filesUnder(root_.path("/var/run")).size(), 2u);  // the request, untouched
    EXPECT_EQ(test::textLines(root_.read("/navigator.log")).size(), 1u);

    // Answering again, the stand-in takes the old request; its late answer is dropped by
    // the poll instead of reaching the handler as a request.
    sleepUntil(10 * kSecond);
    EXPECT_EQ(test::textLines(root_.read("/navigator.log")).size(), 2u);
    RecordingHandler handler;
    pollNavigatorLink("kelvaro", &handler);
    EXPECT_TRUE(handler.messages.empty());
    EXPECT_TRUE(test::filesUnder(root_.path("/var/run")).empty());
    EXPECT_EQ(world_->requestsAnswered, 2u);
}

TEST_F(NavigatorStandInTest, ScriptedRequestsReachTheHandler) {
    run("2 request Madrid hide\n"
        "3 request\n"
        "4 request a|b|\n");
    sleepUntil(5 * kSecond);
    EXPECT_EQ(test::filesUnder(root_.path("/var/run")).size(), 6u);
    EXPECT_EQ(root_.read("/var/run/TomTomNavigationServer.kelvaro.1000.3.message"),
              std::string("a|b||\0", 6));

    RecordingHandler handler;
    pollNavigatorLink("kelvaro", &handler);
    const std::vector<std::vector<std::string>> expected = {{"Madrid hide"}, {}, {"a", "b", ""}};
    EXPECT_EQ(handler.messages, expected);
    EXPECT_TRUE(test::filesUnder(root_.path("/var/run")).empty());
    EXPECT_EQ(world_->requestsAnswered, 0u);
}

// Quotes, backslashes and a lone Latin-1 letter: the log test above.
TEST(JsonString, EscapesWhatJsonCannotHoldAsIs) {
    struct Row {
        const char* legend;
        std::string bytes;
        std::string json;
    };
    const Row rows[] = {
        {"empty", "", "\"\""},
        {"line ends and tab", "a\nb\r\tc", "\"a\\nb\\r\\tc\""},
        {"control and delete", std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\\u007f\""},
        {"zero byte", std::string("a\0b", 3), "\"a\\u0000b\""},
        {"UTF-8 letter kept", "caf\xc3\xa9", "\"caf\xc3\xa9\""},
        {"cut UTF-8 sequence", "x\xe2\x82", "\"x\\u00e2\\u0082\""},
        {"overlong form", "\xc0\xaf", "\"\\u00c0\\u00af\""},
        {"surrogate", "\xed\xa0\x80", "\"\\u00ed\\u00a0\\u0080\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        EXPECT_EQ(jsonString(row.bytes), row.json);
    }
}

}  // namespace
}  // namespace kelvaro::sim
