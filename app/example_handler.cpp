#include "app/example_handler.h"

#include "app/application.h"
#include "app/dispatch.h"
#include "app/housekeeping.h"
#include "app/ui_owner.h"
#include "display/screen.h"

namespace kelvaro {

namespace {

constexpr int32_t kTextWaypoint = 7;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Skips blanks, then takes one word, keeping at most the word limit of it.
const char* takeWord(const char* at, std::string* word) {
    while (*at != '\0' && isBlank(*at)) {
        ++at;
    }
    word->clear();
    for (; *at != '\0' && !isBlank(*at); ++at) {
        if (word->size() < RequestWords::kMaxWordLength) {
            word->push_back(*at);
        }
    }
    return at;
}

bool isHidden(Page page) {
    return page == Page::AwaitingTimeHidden || page == Page::RunningHidden;
}

void showRequest(Application& app) {
    writeHookFile();
    if (comeForward(app)) {
        restoreDashboard(app);
    }
}

void wordRequest(Application& app, const RequestWords& words) {
    TripStats& trip = *app.trip;
    const bool show = !(words.count == 2 && words.second == "hide");
    const bool forward = comeForward(app);
    if (show) {
        writeHookFile();
        if (forward) {
            restoreDashboard(app);
        }
    }
    if (trip.logging && words.first != "Start") {
        if (writeWaypoint(app, words.first) && show) {
            app.dashboard->postMessage(text(*app.texts, kTextWaypoint));
        }
    }
    if (show) {
        flush(isShown(trip.page));
        return;
    }
    releaseUiOwner();
    goBehind(app);
}

}  // namespace

RequestWords readRequestWords(const char* argument) {
    RequestWords words;
    if (argument == nullptr) {
        return words;
    }
    const char* at = takeWord(argument, &words.first);
    if (words.first.empty()) {
        return words;
    }
    words.count = 1;
    takeWord(at, &words.second);
    if (!words.second.empty()) {
        words.count = 2;
    }
    return words;
}

// No answer is sent: the navigator expects none.
void CExampleHandler::HandleMessage(MTomTomCommunicationLayerInterface* layer, MTomTomSession*) {
    if (layer == nullptr || app_ == nullptr || !app_->trip || !app_->dashboard) {
        return;
    }
    Application& app = *app_;
    const MArguments& arguments = layer->Arguments();
    if (arguments.GetCount() == 0) {
        showRequest(app);
        return;
    }
    const RequestWords words = readRequestWords(arguments.GetArgument(0));
    if (words.count == 0) {
        // An argument without a word names no waypoint; it shows the program.
        showRequest(app);
        return;
    }
    if (words.first == "0") {
        if (isHidden(app.trip->page) && uiOwner() != 0) {
            releaseUiOwner();
        }
        return;
    }
    wordRequest(app, words);
}

}  // namespace kelvaro
