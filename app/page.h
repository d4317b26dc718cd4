#pragma once

#include <cstdint>

namespace kelvaro {

// The page or phase the main loop is in; the numbers are fixed.
enum class Page : int32_t {
    OpeningFeed = 0,
    AwaitingTime = 1,
    AwaitingTimeHidden = 2,
    Running = 3,
    RunningHidden = 4,
    SpeedPicker = 5,
    Exiting = 6,
    Stopped = 7,
    FeedLost = 8,
    Setup1Open = 9,
    Setup1 = 10,
    Setup2Open = 11,
    Setup2 = 12,
    Setup3Open = 13,
    Setup3 = 14,
    Setup4Open = 15,
    Setup4 = 16,
    Setup5Open = 17,
    Setup5 = 18,
    Setup6Open = 19,
    Setup6 = 20,
    SetupCancel = 21,
    SetupSave = 22,
};

// A page is shown unless the navigator owns the screen (2, 4), the loop has ended (7) or
// the feed is being reopened (8).
inline bool isShown(Page page) {
    return page != Page::AwaitingTimeHidden && page != Page::RunningHidden &&
           page != Page::Stopped && page != Page::FeedLost;
}

}  // namespace kelvaro
