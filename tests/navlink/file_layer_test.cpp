#include "navlink/file_layer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <initializer_list>
#include <string>

#include "platform/simulated_platform.h"
#include "tests/navlink/scripted_navigator.h"
#include "tests/support/temp_root.h"

namespace kelvaro {
namespace {

using test::TempRoot;
using test::writeMessagePair;

const std::string kFinished("finish\n\0", 8);

std::unique_ptr<CTomTomFileLayer> programLayer() {
    return CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer",
                                    CTomTomFileLayer::kOwnProcess);
}

// Begins a request of these arguments.
void beginRequest(CTomTomFileLayer& layer, std::initializer_list<const char*> arguments) {
    layer.BeginRequest(nullptr);
    for (const char* argument : arguments) {
        layer.AddArgument(argument);
    }
}

// A root whose /var exists, as on the device; /var/run is left to the layer.
struct LayerTest : ::testing::Test {
    LayerTest() { test::makeFolders(root.path("/var")); }
    TempRoot root;
};

TEST_F(LayerTest, RequestFilesOfTheWorkedExample) {
    auto layer = programLayer();
    ASSERT_TRUE(layer);
    beginRequest(*layer, {"AddPoiV01", "tm20070612.poi", "262500", "4880000", "3:", ""});
    std::unique_ptr<MTomTomSession> session = layer->Send();
    ASSERT_TRUE(session);

    const std::string stem = "/var/run/kelvaro.TomTomNavigationServer.4242.1";
    EXPECT_EQ(root.read(stem + ".finished"), kFinished);
    struct stat info {};
    ASSERT_EQ(stat(root.path("/var/run").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0755u);
}

TEST_F(LayerTest, SequenceRisesAlsoAfterAFailedSend) {
    auto layer = programLayer();
    root.write("/var/run", "a file where the folder should be");
    beginRequest(*layer, {"ClearRouteV01"});
    EXPECT_FALSE(layer->Send());

    ASSERT_EQ(unlink(root.path("/var/run").c_str()), 0);
    beginRequest(*layer, {"ClearRouteV01"});
    EXPECT_TRUE(layer->Send());
    EXPECT_FALSE(root.exists("/var/run/kelvaro.TomTomNavigationServer.4242.1.message"));
    EXPECT_EQ(root.read("/var/run/kelvaro.TomTomNavigationServer.4242.2.message"),
              std::string("ClearRouteV01|\0", 15));
}

TEST_F(LayerTest, AnswerModeReusesTheSessionNumber) {
    auto layer = CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer", 1000);
    CTomTomFileLayer::CSession session(7);
    layer->BeginAnswer(&session);
    layer->AddArgument("0");
    EXPECT_FALSE(layer->Send());
    EXPECT_TRUE(root.exists("/var/run/kelvaro.TomTomNavigationServer.1000.7.finished"));

    // Back to requests: the count goes on from the answered number.
    beginRequest(*layer, {"ClearRouteV01"});
    EXPECT_TRUE(layer->Send());
    EXPECT_TRUE(root.exists("/var/run/kelvaro.TomTomNavigationServer.1000.8.finished"));
}

TEST_F(LayerTest, AnswersBeyondTheFixedBufferGetTheirOwn) {
    struct Row {
        const char* legend;
        size_t fileBytes;  // zero byte included
        bool heapText;
    };
    const Row rows[] = {
        {"1022 bytes fit the fixed buffer", 1022, false},
        {"1023 bytes need an allocated one", 1023, true},
    };
    auto layer = programLayer();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        const std::string filler(row.fileBytes - 4, 'z');
        writeMessagePair(root, "TomTomNavigationServer.kelvaro.4242.5",
                         "0|" + filler + "|" + std::string(1, '\0'));
        const ReceiveOutcome outcome =
            layer->ReceiveAnswer(std::make_unique<CTomTomFileLayer::CSession>(5));
        EXPECT_EQ(outcome, ReceiveOutcome::Received);
        const auto& arguments = dynamic_cast<const CCsvArguments&>(layer->Arguments());
        ASSERT_EQ(arguments.GetCount(), 2);
        EXPECT_STREQ(arguments.GetArgument(0), "0");
        EXPECT_EQ(arguments.GetArgument(1), filler);
        EXPECT_EQ(arguments.UsesHeapText(), row.heapText);
        if (row.heapText) {
            EXPECT_EQ(arguments.GetCapacity(), row.fileBytes + 1);
        }
        layer->BeginRequest(nullptr);
    }
}

TEST_F(LayerTest, AnswerReadsOnlyItsOwnBytes) {
    struct Row {
        const char* legend;
        std::string bytes;
        int32_t count;
    };
    const Row rows[] = {
        {"no zero byte in the file", "0|", 1},
        {"empty file", "", 0},
        {"bytes after the zero are ignored", std::string("3|\0junk|more|", 13), 1},
    };
    auto layer = programLayer();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        // A long request leaves text behind in the buffer the answer is read into.
        beginRequest(*layer, {"PlaySoundFileV01", std::string(900, 'p').c_str()});
        writeMessagePair(root, "TomTomNavigationServer.kelvaro.4242.9", row.bytes);
        layer->ReceiveAnswer(std::make_unique<CTomTomFileLayer::CSession>(9));
        ASSERT_EQ(layer->Arguments().GetCount(), row.count);
        if (row.count > 0) {
            EXPECT_EQ(std::string(layer->Arguments().GetArgument(0)), row.bytes.substr(0, 1));
        }
    }
}

TEST_F(LayerTest, MissingMessageGivesAnEmptyListAndRemovesTheMarker) {
    auto layer = programLayer();
    root.write("/var/run/TomTomNavigationServer.kelvaro.4242.3.finished", kFinished);
    EXPECT_EQ(layer->ReceiveAnswer(std::make_unique<CTomTomFileLayer::CSession>(3)),
              ReceiveOutcome::Missing);
    EXPECT_EQ(layer->Arguments().GetCount(), 0);
    EXPECT_FALSE(root.exists("/var/run/TomTomNavigationServer.kelvaro.4242.3.finished"));
}

TEST_F(LayerTest, NullSessionResetsTheList) {
    auto layer = programLayer();
    beginRequest(*layer, {"ClearRouteV01"});
    EXPECT_EQ(layer->ReceiveAnswer(nullptr), ReceiveOutcome::NoSession);
    EXPECT_STREQ(layer->Arguments().GetBuffer(), "");
    EXPECT_EQ(platform::sim::virtualMicroseconds(), 0u);
}

TEST_F(LayerTest, WaitForASilentPeerIsBoundedAndNotRepeatedUntilItAnswers) {
    auto layer = programLayer();
    beginRequest(*layer, {"FlashMessageV01"});
    std::unique_ptr<MTomTomSession> session = layer->Send();
    ASSERT_TRUE(session);
    // The peer has begun its answer but not finished it.
    root.write("/var/run/TomTomNavigationServer.kelvaro.4242.1.message", "partial");

    EXPECT_EQ(layer->ReceiveAnswer(std::move(session)), ReceiveOutcome::TimedOut);
    const uint64_t waited = platform::sim::virtualMicroseconds();
    EXPECT_EQ(waited, 100000u * CTomTomFileLayer::kAnswerWaitPolls);
    EXPECT_EQ(layer->Arguments().GetCount(), 0);
    EXPECT_STREQ(layer->Arguments().GetBuffer(), "");
    EXPECT_EQ(root.read("/var/run/TomTomNavigationServer.kelvaro.4242.1.message"), "partial");
    EXPECT_TRUE(root.exists("/var/run/kelvaro.TomTomNavigationServer.4242.1.message"));
    EXPECT_TRUE(layer->PeerSilent());

    // The next request is not waited for: the loop keeps its pace.
    beginRequest(*layer, {"FlashMessageV01"});
    EXPECT_EQ(layer->ReceiveAnswer(layer->Send()), ReceiveOutcome::TimedOut);
    EXPECT_EQ(platform::sim::virtualMicroseconds(), waited);

    // Answers to both are late ones; the first that comes shows the peer answers again.
    EXPECT_TRUE(layer->TakeLateAnswer(2));
    EXPECT_TRUE(layer->TakeLateAnswer(1));
    EXPECT_FALSE(layer->TakeLateAnswer(3));
    EXPECT_FALSE(layer->TakeLateAnswer(0));
    EXPECT_FALSE(layer->PeerSilent());
}

TEST_F(LayerTest, AnswerArrivingDuringTheWaitIsTaken) {
    auto layer = programLayer();
    int sleeps = 0;
    platform::sim::setSleepHook([&](uint64_t) {
        if (++sleeps == CTomTomFileLayer::kAnswerWaitPolls) {
            writeMessagePair(root, "TomTomNavigationServer.kelvaro.4242.1",
                             std::string("0|42|\0", 6));
        }
    });
    beginRequest(*layer, {"GetCurrentStopoverV01"});
    EXPECT_EQ(layer->ReceiveAnswer(layer->Send()), ReceiveOutcome::Received);
    platform::sim::setSleepHook(nullptr);
    EXPECT_EQ(sleeps, CTomTomFileLayer::kAnswerWaitPolls);
    ASSERT_EQ(layer->Arguments().GetCount(), 2);
    EXPECT_STREQ(layer->Arguments().GetArgument(1), "42");
    EXPECT_FALSE(layer->PeerSilent());
}

TEST_F(LayerTest, FifoInPlaceOfAMessageDoesNotBlock) {
    auto layer = programLayer();
    test::makeFolders(root.path("/var/run"));
    ASSERT_EQ(
        mkfifo(root.path("/var/run/TomTomNavigationServer.kelvaro.4242.4.message").c_str(), 0644),
        0);
    root.write("/var/run/TomTomNavigationServer.kelvaro.4242.4.finished", kFinished);
    EXPECT_EQ(layer->ReceiveAnswer(std::make_unique<CTomTomFileLayer::CSession>(4)),
              ReceiveOutcome::Missing);

    ASSERT_EQ(
        mkfifo(root.path("/var/run/TomTomNavigationServer.kelvaro.4242.5.finished").c_str(), 0644),
        0);
    CTomTomFileLayer::CSession session(5);
    EXPECT_FALSE(layer->IsAnswerReady(&session));
}

TEST(FileLayer, CreateRefusesNamesOver255Characters) {
    TempRoot root;
    const std::string longest(255, 'n');
    EXPECT_TRUE(CTomTomFileLayer::Create(longest, longest, 1));
    EXPECT_FALSE(CTomTomFileLayer::Create(longest + "n", "peer", 1));
    EXPECT_FALSE(CTomTomFileLayer::Create("own", longest + "n", 1));
    EXPECT_FALSE(CTomTomFileLayer::Create("own", "peer", -2));
    EXPECT_FALSE(CTomTomFileLayer::Create("own", "peer", int64_t{UINT32_MAX} + 1));
    auto own = CTomTomFileLayer::Create("own", "peer", CTomTomFileLayer::kOwnProcess);
    ASSERT_TRUE(own);
    EXPECT_EQ(own->ProcessId(), 4242u);
}

TEST(FileLayer, FinishedNamesMustGiveBackTheSameName) {
    struct Row {
        const char* legend;
        const char* name;
        bool valid;
        const char* sender;
        const char* addressee;
        uint32_t conversation;
        int32_t sequence;
    };
    const Row rows[] = {
        {"request to the program", "TomTomNavigationServer.kelvaro.1000.3.finished", true,
         "TomTomNavigationServer", "kelvaro", 1000, 3},
        {"largest numbers", "a.b.4294967295.4294967295.finished", true, "a", "b", 4294967295u, -1},
        {"a message, not a marker", "a.b.1.2.message", false, "", "", 0, 0},
        {"too few parts", "a.b.1.finished", false, "", "", 0, 0},
        {"leading zero", "a.b.01.2.finished", false, "", "", 0, 0},
        {"not a number", "a.b.1.two.finished", false, "", "", 0, 0},
        {"beyond 32 bits", "a.b.4294967296.2.finished", false, "", "", 0, 0},
        {"empty number", "a.b..2.finished", false, "", "", 0, 0},
        {"empty sender", ".b.1.2.finished", false, "", "", 0, 0},
        {"empty addressee", "a..1.2.finished", false, "", "", 0, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.legend);
        MessageName name;
        ASSERT_EQ(parseFinishedName(row.name, &name), row.valid);
        if (row.valid) {
            EXPECT_EQ(name.sender, row.sender);
            EXPECT_EQ(name.addressee, row.addressee);
            EXPECT_EQ(name.conversation, row.conversation);
            EXPECT_EQ(name.sequence, row.sequence);
        }
    }
    const std::string longSender(256, 's');
    MessageName name;
    EXPECT_FALSE(parseFinishedName((longSender + ".b.1.2.finished").c_str(), &name));
}

}  // namespace
}  // namespace kelvaro
