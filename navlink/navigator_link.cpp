#include "navlink/navigator_link.h"

#include <dirent.h>
#include <strings.h>
#include <unistd.h>

#include <algorithm>
#include <new>
#include <string>
#include <tuple>
#include <vector>

#include "platform/platform.h"

namespace kelvaro {

namespace {

// Messages taken per poll; any beyond wait for the next turn, so a flood of files cannot
// hold up the loop. The navigator sends one request at a time, so a turn finds far fewer.
constexpr size_t kMessagesPerPoll = 32;

struct NavigatorLink {
    std::unique_ptr<CTomTomFileLayer> layer;
    std::unique_ptr<NavigatorCommands> commands;
    // "/var/run", open while the link is, so that a poll reads it again without opening
    // it (and allocating for it) every turn.
    DIR* folder = nullptr;
};

NavigatorLink& link() {
    static NavigatorLink instance;
    return instance;
}

DIR* openMessageFolder() {
    return ::opendir(platform::devicePath("/var/run").c_str());
}

std::vector<MessageName> findMessagesFor(const char* ownName) {
    std::vector<MessageName> found;
    DIR* kept = link().folder;
    DIR* folder = kept != nullptr ? kept : openMessageFolder();
    if (folder == nullptr) {
        return found;
    }
    ::rewinddir(folder);
    while (const dirent* entry = ::readdir(folder)) {
        MessageName name;
        if (parseFinishedName(entry->d_name, &name) &&
            ::strcasecmp(name.addressee.c_str(), ownName) == 0) {
            found.push_back(std::move(name));
        }
    }
    if (folder != kept) {
        ::closedir(folder);
    }
    // Listing order is the file system's; take the messages in the order they were sent.
    std::sort(found.begin(), found.end(), [](const MessageName& a, const MessageName& b) {
        return std::tie(a.conversation, a.sequence, a.sender, a.addressee) <
               std::tie(b.conversation, b.sequence, b.sender, b.addressee);
    });
    if (found.size() > kMessagesPerPoll) {
        found.resize(kMessagesPerPoll);
    }
    return found;
}

// An answer to one of the program's own requests that nothing waits for any more (the wait
// gave up, or the request was never waited for): it is named like a request from the
// navigator, so it is removed before it is taken for one.
bool discardLateAnswer(const MessageName& name) {
    CTomTomFileLayer* own = link().layer.get();
    if (own == nullptr || name.sender != own->PeerName() || name.conversation != own->ProcessId() ||
        !own->TakeLateAnswer(name.sequence)) {
        return false;
    }
    const std::string stem = platform::devicePath("/var/run/") + name.sender + "." +
                             name.addressee + "." + std::to_string(name.conversation) + "." +
                             std::to_string(static_cast<uint32_t>(name.sequence));
    ::unlink((stem + ".finished").c_str());
    ::unlink((stem + ".message").c_str());
    return true;
}

void closeMessageFolder() {
    NavigatorLink& l = link();
    if (l.folder != nullptr) {
        ::closedir(l.folder);
        l.folder = nullptr;
    }
}

}  // namespace

// The folder is opened anew at every start: a new run may have another device root.
int32_t startNavigatorLink() {
    NavigatorLink& l = link();
    closeMessageFolder();
    l.folder = openMessageFolder();
    if (!l.layer) {
        l.layer = CTomTomFileLayer::Create("kelvaro", "TomTomNavigationServer",
                                           CTomTomFileLayer::kOwnProcess);
        if (!l.layer) {
            return 0;
        }
    }
    if (!l.commands) {
        l.commands.reset(new (std::nothrow) NavigatorCommands(*l.layer));
    }
    return l.commands ? 1 : 0;
}

void stopNavigatorLink() {
    NavigatorLink& l = link();
    l.commands.reset();
    l.layer.reset();
    closeMessageFolder();
}

void pollNavigatorLink(const char* ownName, MCommandHandlerInterface* handler) {
    if (ownName == nullptr) {
        return;
    }
    for (const MessageName& name : findMessagesFor(ownName)) {
        if (discardLateAnswer(name)) {
            continue;
        }
        std::unique_ptr<CTomTomFileLayer> layer = CTomTomFileLayer::Create(
            name.addressee, name.sender, name.conversation, CTomTomFileLayer::kMaxRequestBytes);
        if (!layer) {
            continue;
        }
        CTomTomFileLayer::CSession session(name.sequence);
        // Gone since the listing (its reader was quicker): nothing to wait for.
        if (!layer->IsAnswerReady(&session)) {
            continue;
        }
        const ReceiveOutcome outcome = layer->ReceiveAnswer(std::unique_ptr<MTomTomSession>(
            new (std::nothrow) CTomTomFileLayer::CSession(name.sequence)));
        // A message that vanished or could not be read is no request: the handler would
        // take its empty list for a show.
        if (outcome != ReceiveOutcome::Received || handler == nullptr) {
            continue;
        }
        handler->HandleMessage(layer.get(), &session);
    }
}

NavigatorCommands* navigatorCommands() {
    return link().commands.get();
}

CTomTomFileLayer* navigatorLayer() {
    return link().layer.get();
}

}  // namespace kelvaro
