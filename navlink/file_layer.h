// The navigator's file message protocol. A message is "/var/run/W.A.C.S.message" (writer,
// addressee, conversation, sequence) holding an argument list, and it counts as complete
// once "/var/run/W.A.C.S.finished" exists; an answer swaps the two names and keeps the
// numbers of its request.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "navlink/csv_arguments.h"

namespace kelvaro {

class MTomTomSession {
  public:
    virtual ~MTomTomSession() = default;
};

// What ReceiveAnswer found; the argument list is empty in every case but Received.
enum class ReceiveOutcome {
    Received,
    NoSession,
    Missing,   // the ".message" file could not be opened (its ".finished" is removed)
    TooLarge,  // beyond the layer's message limit; both files are removed unread
    TimedOut,  // no ".finished" came in time; nothing is removed
};

class MTomTomCommunicationLayerInterface {
  public:
    virtual ~MTomTomCommunicationLayerInterface() = default;
    virtual void BeginRequest(MTomTomSession* session) = 0;
    virtual void BeginAnswer(MTomTomSession* session) = 0;
    virtual int32_t AddArgument(const char* text) = 0;
    // Null in answer mode or when a file could not be written.
    [[nodiscard]] virtual std::unique_ptr<MTomTomSession> Send() = 0;
    virtual bool IsAnswerReady(const MTomTomSession* session) const = 0;
    virtual ReceiveOutcome ReceiveAnswer(std::unique_ptr<MTomTomSession> session) = 0;

    // The request being built, or the answer last received.
    MArguments& Arguments() { return *arguments_; }
    const MArguments& Arguments() const { return *arguments_; }

  protected:
    explicit MTomTomCommunicationLayerInterface(std::unique_ptr<MArguments> arguments)
        : arguments_(std::move(arguments)) {}

  private:
    std::unique_ptr<MArguments> arguments_;
};

class MCommandHandlerInterface {
  public:
    virtual void HandleMessage(MTomTomCommunicationLayerInterface* layer,
                               MTomTomSession* session) = 0;
    virtual ~MCommandHandlerInterface() = default;
};

class CTomTomFileLayer : public MTomTomCommunicationLayerInterface {
  public:
    class CSession : public MTomTomSession {
      public:
        explicit CSession(int32_t sequence) : sequence(sequence) {}
        int32_t sequence;
    };

    static constexpr uint32_t kMaxNameLength = 255;
    static constexpr int64_t kOwnProcess = -1;
    // Polls of 100 ms before ReceiveAnswer gives up on a silent peer: short enough that the
    // loop still reads every GPS second. Once a wait has given up, the next requests are not
    // waited for until the peer answers again.
    static constexpr int32_t kAnswerWaitPolls = 3;
    // Largest ".message" file read as an answer; the list queries may return long lists.
    static constexpr uint32_t kMaxAnswerBytes = 1u << 20;
    // Largest ".message" file read as a request addressed to the program: what fits the
    // fixed buffer, far beyond the two short words of any real request.
    static constexpr uint32_t kMaxRequestBytes = CCsvArguments::kInlineTextBytes - 2;

    // Null when a name is longer than kMaxNameLength, processId is neither kOwnProcess nor
    // a 32-bit number, or memory runs out.
    static std::unique_ptr<CTomTomFileLayer> Create(const std::string& ownName,
                                                    const std::string& peerName, int64_t processId,
                                                    uint32_t maxMessageBytes = kMaxAnswerBytes);

    void BeginRequest(MTomTomSession* session) override;
    void BeginAnswer(MTomTomSession* session) override;
    int32_t AddArgument(const char* text) override;
    [[nodiscard]] std::unique_ptr<MTomTomSession> Send() override;
    bool IsAnswerReady(const MTomTomSession* session) const override;
    ReceiveOutcome ReceiveAnswer(std::unique_ptr<MTomTomSession> session) override;

    const std::string& OwnName() const { return ownName_; }
    const std::string& PeerName() const { return peerName_; }
    uint32_t ProcessId() const { return processId_; }

    // True when the sequence is that of a request this layer sent: outside ReceiveAnswer
    // nothing waits for it, so its answer is a late one that must not be mistaken for a
    // request from the peer. The peer is taken to answer again.
    bool TakeLateAnswer(int32_t sequence);

    // A wait has given up and the peer has not answered since.
    bool PeerSilent() const { return peerSilent_; }

  private:
    CTomTomFileLayer(std::unique_ptr<MArguments> arguments, std::string ownName,
                     std::string peerName, uint32_t processId, uint32_t maxMessageBytes);
    std::string messagePath(const std::string& writer, const std::string& addressee,
                            int32_t sequence, const char* kind) const;

    std::string ownName_;
    std::string peerName_;
    bool answerMode_ = false;
    bool buildFailed_ = false;  // an argument could not be added; Send refuses
    int32_t sequence_ = 0;
    uint32_t processId_;
    uint32_t maxMessageBytes_;
    bool peerSilent_ = false;
};

// The four fields of a message file name "W.A.C.S.finished".
struct MessageName {
    std::string sender;
    std::string addressee;
    uint32_t conversation = 0;
    int32_t sequence = 0;
};

// False unless the name ends in ".finished" and its four fields give back exactly the
// same name (so that the files it stands for can be found again).
[[nodiscard]] bool parseFinishedName(const char* name, MessageName* out);

}  // namespace kelvaro
