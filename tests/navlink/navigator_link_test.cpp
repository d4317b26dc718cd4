#include "navlink/navigator_link.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/simulated_platform.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::TempRoot;
using test::writeMessagePair;
using test::zeroEnded;

// Keeps the arguments of every message it is given; optionally replies.
struct RecordingHandler : MCommandHandlerInterface {
    void HandleMessage(MTomTomCommunicationLayerInterface* layer,
                       MTomTomSession* session) override {
        std::vector<std::string> arguments;
        for (int32_t i = 0; i < layer->Arguments().GetCount(); ++i) {
            arguments.push_back(layer->Arguments().GetArgument(i));
        }
        messages.push_back(arguments);
        if (!reply.empty()) {
            layer->BeginAnswer(session);
            layer->AddArgument(reply.c_str());
            EXPECT_FALSE(layer->Send());
        }
    }
    std::vector<std::vector<std::string>> messages;
    std::string reply;
};

struct LinkTest : ::testing::Test {
    LinkTest() { test::makeFolders(root.path("/var/run")); }
    ~LinkTest() override { stopNavigatorLink(); }
    TempRoot root;
    RecordingHandler handler;
};

TEST_F(LinkTest, StartMakesTheLinkOnceAndStopRemovesIt) {
    EXPECT_EQ(navigatorCommands(), nullptr);
    ASSERT_EQ(startNavigatorLink(), 1);
    NavigatorCommands* commands = navigatorCommands();
    ASSERT_NE(commands, nullptr);
    ASSERT_NE(navigatorLayer(), nullptr);
    EXPECT_EQ(startNavigatorLink(), 1);
    EXPECT_EQ(navigatorCommands(), commands);
    stopNavigatorLink();
    EXPECT_EQ(navigatorCommands(), nullptr);
    EXPECT_EQ(navigatorLayer(), nullptr);
}

TEST_F(LinkTest, PollTakesCapitalsAndLeavesOtherAddressees) {
    writeMessagePair(root, "TomTomNavigationServer.KELVARO.1000.3", zeroEnded("Madrid hide|"));
    writeMessagePair(root, "TomTomNavigationServer.kelvaro.1000.4", zeroEnded("a|b|"));
    writeMessagePair(root, "TomTomNavigationServer.other.1000.5", zeroEnded("x|"));
    pollNavigatorLink("kelvaro", &handler);

    const std::vector<std::vector<std::string>> expected = {{"Madrid hide"}, {"a", "b"}};
    EXPECT_EQ(handler.messages, expected);
    EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.KELVARO.1000.3.finished"));
    EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.KELVARO.1000.3.message"));
    EXPECT_TRUE(root.exists("/var/run/TomTomNavigationServer.other.1000.5.finished"));
    EXPECT_TRUE(root.exists("/var/run/TomTomNavigationServer.other.1000.5.message"));
    EXPECT_EQ(platform::sim::virtualMicroseconds(), 0u);
}

TEST_F(LinkTest, IncompleteMessagesAreLeftAlone) {
    root.write("/var/run/TomTomNavigationServer.kelvaro.1000.6.message", zeroEnded("half|"));
    pollNavigatorLink("kelvaro", &handler);
    EXPECT_TRUE(handler.messages.empty());
    EXPECT_TRUE(root.exists("/var/run/TomTomNavigationServer.kelvaro.1000.6.message"));
}

TEST_F(LinkTest, RequestsBeyondTheFixedBufferAreDiscarded) {
    struct Row {
        const char* legend;
        size_t fileBytes;
        bool handled;
    };
    const Row rows[] = {
        {"1022 bytes are read", 1022, true},
        {"1023 bytes are discarded", 1023, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        handler.messages.clear();
        writeMessagePair(root, "TomTomNavigationServer.kelvaro.1000.8",
                         zeroEnded(std::string(row.fileBytes - 2, 'w') + "|"));
        pollNavigatorLink("kelvaro", &handler);
        EXPECT_EQ(handler.messages.size(), row.handled ? 1u : 0u);
        EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.kelvaro.1000.8.message"));
        EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.kelvaro.1000.8.finished"));
    }
}

TEST_F(LinkTest, MarkerWithoutMessageIsRemovedAndNotTakenForAShow) {
    root.write("/var/run/TomTomNavigationServer.kelvaro.1000.2.finished",
               std::string("finish\n\0", 8));
    pollNavigatorLink("kelvaro", &handler);
    EXPECT_TRUE(handler.messages.empty());
    EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.kelvaro.1000.2.finished"));
}

TEST_F(LinkTest, HandlerReplyKeepsTheRequestNumbers) {
    handler.reply = "0";
    writeMessagePair(root, "TomTomNavigationServer.kelvaro.1000.3", zeroEnded("x|"));
    pollNavigatorLink("kelvaro", &handler);
    EXPECT_EQ(root.read("/var/run/kelvaro.TomTomNavigationServer.1000.3.message"), zeroEnded("0|"));
    EXPECT_TRUE(root.exists("/var/run/kelvaro.TomTomNavigationServer.1000.3.finished"));
}

TEST_F(LinkTest, LateAnswersAreNotTakenForRequestsHoweverManyThereAre) {
    ASSERT_EQ(startNavigatorLink(), 1);
    constexpr int kUnanswered = 40;
    int32_t status = 0;
    for (int i = 0; i < kUnanswered; ++i) {
        EXPECT_EQ(navigatorCommands()->ClearRoute(status), kMalformedAnswer);
    }
    // Only the first request was waited for.
    EXPECT_EQ(platform::sim::virtualMicroseconds(), 100000u * CTomTomFileLayer::kAnswerWaitPolls);

    // The navigator answers all of them late, and sends a request of its own.
    for (int i = 1; i <= kUnanswered; ++i) {
        writeMessagePair(root, "TomTomNavigationServer.kelvaro.4242." + std::to_string(i),
                         zeroEnded("-1|"));
    }
    writeMessagePair(root, "TomTomNavigationServer.kelvaro.1000.9", zeroEnded("show|"));
    pollNavigatorLink("kelvaro", &handler);
    pollNavigatorLink("kelvaro", &handler);
    const std::vector<std::vector<std::string>> expected = {{"show"}};
    EXPECT_EQ(handler.messages, expected);
    for (int i = 1; i <= kUnanswered; ++i) {
        const std::string stem =
            "/var/run/TomTomNavigationServer.kelvaro.4242." + std::to_string(i);
        EXPECT_FALSE(root.exists(stem + ".finished")) << i;
        EXPECT_FALSE(root.exists(stem + ".message")) << i;
    }
    EXPECT_FALSE(navigatorLayer()->PeerSilent());
}

}  // namespace
}  // namespace kelvaro
