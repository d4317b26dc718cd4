#include "navlink/file_layer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>

#include "app/card_file.h"
#include "platform/platform.h"

namespace kelvaro {

namespace {

// Between two looks for an answer; kAnswerWaitPolls of them are the longest wait.
constexpr uint32_t kAnswerPollMicroseconds = 100000;
// The finished marker is written with its zero byte: eight bytes.
constexpr char kFinishedContent[] = "finish\n";

int32_t nextSequence(int32_t sequence) {
    return static_cast<int32_t>(static_cast<uint32_t>(sequence) + 1u);
}

int32_t previousSequence(int32_t sequence) {
    return static_cast<int32_t>(static_cast<uint32_t>(sequence) - 1u);
}

int32_t sessionSequence(const MTomTomSession* session, bool* found) {
    const auto* own = dynamic_cast<const CTomTomFileLayer::CSession*>(session);
    *found = own != nullptr;
    return own != nullptr ? own->sequence : 0;
}

bool ensureRunFolder() {
    const std::string folder = platform::devicePath("/var/run");
    struct stat info {};
    if (::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
        ::access(folder.c_str(), R_OK) == 0) {
        return true;
    }
    return ::mkdir(folder.c_str(), 0755) == 0;
}

// Creates (or truncates) the file and writes the bytes to storage before closing it.
// "created" tells the caller whether a file now exists that it may have to take back.
bool writeSynced(const std::string& path, const char* bytes, size_t length, bool* created) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    *created = fd >= 0;
    if (fd < 0) {
        return false;
    }
    const bool written = writeWhole(fd, bytes, length) && ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    return written && closed;
}

// Opens without waiting: a FIFO planted under a message's name must not block the loop,
// and only regular files count as messages.
int openRegularForReading(const std::string& path, struct stat* info) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    if (::fstat(fd, info) != 0 || !S_ISREG(info->st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

size_t readUpTo(int fd, char* buffer, size_t limit) {
    size_t total = 0;
    while (total < limit) {
        const ssize_t got = ::read(fd, buffer + total, limit - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        total += static_cast<size_t>(got);
    }
    return total;
}

// Digits only and no leading zero, so that "%u" gives back the same text and the files
// the name stands for can be found again.
bool readDecimal(const char* begin, const char* end, uint32_t* value) {
    if (begin == end || end - begin > 10 || (end - begin > 1 && *begin == '0')) {
        return false;
    }
    uint64_t number = 0;
    for (const char* at = begin; at != end; ++at) {
        if (*at < '0' || *at > '9') {
            return false;
        }
        number = number * 10 + static_cast<uint64_t>(*at - '0');
    }
    if (number > UINT32_MAX) {
        return false;
    }
    *value = static_cast<uint32_t>(number);
    return true;
}

}  // namespace

std::unique_ptr<CTomTomFileLayer> CTomTomFileLayer::Create(const std::string& ownName,
                                                           const std::string& peerName,
                                                           int64_t processId,
                                                           uint32_t maxMessageBytes) {
    if (ownName.size() > kMaxNameLength || peerName.size() > kMaxNameLength) {
        return nullptr;
    }
    if (processId != kOwnProcess && (processId < 0 || processId > int64_t{UINT32_MAX})) {
        return nullptr;
    }
    const uint32_t conversation =
        processId == kOwnProcess ? platform::processId() : static_cast<uint32_t>(processId);
    std::unique_ptr<MArguments> arguments(new (std::nothrow) CCsvArguments('|'));
    if (!arguments) {
        return nullptr;
    }
    return std::unique_ptr<CTomTomFileLayer>(new (std::nothrow) CTomTomFileLayer(
        std::move(arguments), ownName, peerName, conversation, maxMessageBytes));
}

CTomTomFileLayer::CTomTomFileLayer(std::unique_ptr<MArguments> arguments, std::string ownName,
                                   std::string peerName, uint32_t processId,
                                   uint32_t maxMessageBytes)
    : MTomTomCommunicationLayerInterface(std::move(arguments)),
      ownName_(std::move(ownName)),
      peerName_(std::move(peerName)),
      processId_(processId),
      maxMessageBytes_(maxMessageBytes) {}

std::string CTomTomFileLayer::messagePath(const std::string& writer, const std::string& addressee,
                                          int32_t sequence, const char* kind) const {
    // Two names of at most 255 characters, two numbers of at most 10 digits, the kind.
    char name[2 * kMaxNameLength + 64];
    std::snprintf(name, sizeof name, "%s.%s.%u.%u.%s", writer.c_str(), addressee.c_str(),
                  static_cast<unsigned>(processId_), static_cast<unsigned>(sequence), kind);
    return platform::devicePath("/var/run/") + name;
}

void CTomTomFileLayer::BeginRequest(MTomTomSession*) {
    answerMode_ = false;
    buildFailed_ = false;
    Arguments().Reset();
}

void CTomTomFileLayer::BeginAnswer(MTomTomSession* session) {
    answerMode_ = true;
    Arguments().Reset();
    bool found = false;
    const int32_t sequence = sessionSequence(session, &found);
    // Without a session of this layer there is no number to answer under.
    buildFailed_ = !found;
    if (found) {
        sequence_ = previousSequence(sequence);
    }
}

int32_t CTomTomFileLayer::AddArgument(const char* text) {
    const int32_t length = Arguments().AddArgument(text);
    if (length < 0) {
        buildFailed_ = true;
    }
    return length;
}

std::unique_ptr<MTomTomSession> CTomTomFileLayer::Send() {
    sequence_ = nextSequence(sequence_);
    if (buildFailed_ || !ensureRunFolder()) {
        return nullptr;
    }
    const std::string message = messagePath(ownName_, peerName_, sequence_, "message");
    const char* text = Arguments().GetBuffer();
    bool created = false;
    if (!writeSynced(message, text, std::strlen(text) + 1, &created)) {
        // Without its ".finished" file nobody would ever read or remove it.
        if (created) {
            ::unlink(message.c_str());
        }
        return nullptr;
    }
    const std::string finished = messagePath(ownName_, peerName_, sequence_, "finished");
    if (!writeSynced(finished, kFinishedContent, sizeof kFinishedContent, &created)) {
        // Taken back whole, so that no reader finds half a request; should the peer have
        // seen it already, its answer is a late one.
        if (created) {
            ::unlink(finished.c_str());
        }
        ::unlink(message.c_str());
        return nullptr;
    }
    if (answerMode_) {
        return nullptr;
    }
    return std::unique_ptr<MTomTomSession>(new (std::nothrow) CSession(sequence_));
}

bool CTomTomFileLayer::IsAnswerReady(const MTomTomSession* session) const {
    bool found = false;
    const int32_t sequence = sessionSequence(session, &found);
    if (!found) {
        return false;
    }
    struct stat info {};
    const int fd =
        openRegularForReading(messagePath(peerName_, ownName_, sequence, "finished"), &info);
    if (fd < 0) {
        return false;
    }
    ::close(fd);
    return true;
}

ReceiveOutcome CTomTomFileLayer::ReceiveAnswer(std::unique_ptr<MTomTomSession> session) {
    MArguments& arguments = Arguments();
    bool found = false;
    const int32_t sequence = sessionSequence(session.get(), &found);
    if (!found) {
        arguments.Reset();
        return ReceiveOutcome::NoSession;
    }
    const int32_t waitPolls = peerSilent_ ? 0 : kAnswerWaitPolls;
    for (int32_t polls = 0; !IsAnswerReady(session.get()); ++polls) {
        if (polls == waitPolls) {
            // The answer may still come; the poll for incoming messages removes it then.
            peerSilent_ = true;
            arguments.Reset();
            return ReceiveOutcome::TimedOut;
        }
        platform::sleepMicroseconds(kAnswerPollMicroseconds);
    }
    peerSilent_ = false;

    const std::string message = messagePath(peerName_, ownName_, sequence, "message");
    const std::string finished = messagePath(peerName_, ownName_, sequence, "finished");
    ReceiveOutcome outcome = ReceiveOutcome::Missing;
    struct stat info {};
    const int fd = openRegularForReading(message, &info);
    if (fd < 0) {
        arguments.Reset();
    } else if (static_cast<uint64_t>(info.st_size) > maxMessageBytes_) {
        arguments.Reset();
        outcome = ReceiveOutcome::TooLarge;
    } else {
        const uint32_t size = static_cast<uint32_t>(info.st_size) + 1;
        // Up to 1022 bytes and their zero fit the active buffer; longer ones get their own.
        bool room = true;
        if (size > CCsvArguments::kInlineTextBytes - 1 || size > arguments.GetCapacity()) {
            room = arguments.AllocateBuffer(size);
        }
        if (room) {
            char* buffer = arguments.GetBuffer();
            // The zero goes after what was really read, should the file have shrunk.
            const size_t got = readUpTo(fd, buffer, size - 1);
            buffer[got] = '\0';
            arguments.Split();
            outcome = ReceiveOutcome::Received;
        } else {
            outcome = ReceiveOutcome::TooLarge;
        }
    }
    if (fd >= 0) {
        ::close(fd);
    }
    ::unlink(finished.c_str());
    ::unlink(message.c_str());
    return outcome;
}

bool CTomTomFileLayer::TakeLateAnswer(int32_t sequence) {
    const uint32_t number = static_cast<uint32_t>(sequence);
    if (number == 0 || number > static_cast<uint32_t>(sequence_)) {
        return false;
    }
    peerSilent_ = false;
    return true;
}

bool parseFinishedName(const char* name, MessageName* out) {
    const char* dots[4];
    const char* at = name;
    for (const char*& dot : dots) {
        dot = std::strchr(at, '.');
        if (dot == nullptr) {
            return false;
        }
        at = dot + 1;
    }
    if (dots[0] == name || dots[1] == dots[0] + 1 ||
        static_cast<size_t>(dots[0] - name) > CTomTomFileLayer::kMaxNameLength ||
        static_cast<size_t>(dots[1] - dots[0] - 1) > CTomTomFileLayer::kMaxNameLength ||
        std::strcmp(dots[3] + 1, "finished") != 0) {
        return false;
    }
    uint32_t conversation = 0;
    uint32_t sequence = 0;
    if (!readDecimal(dots[1] + 1, dots[2], &conversation) ||
        !readDecimal(dots[2] + 1, dots[3], &sequence)) {
        return false;
    }
    out->sender.assign(name, dots[0]);
    out->addressee.assign(dots[0] + 1, dots[1]);
    out->conversation = conversation;
    out->sequence = static_cast<int32_t>(sequence);
    return true;
}

}  // namespace kelvaro
