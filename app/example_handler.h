// The program's handler of the navigator's requests: a request without arguments shows
// the program, "0" hands the screen back while hidden, and other words show it (or keep
// it hidden with a second word "hide") and mark a waypoint named by the first word
// while logging.
#pragma once

#include <string>

#include "navlink/file_layer.h"

namespace kelvaro {

struct Application;

// The first argument's two blank-separated words. A word longer than kMaxWordLength is
// cut there and the rest of it dropped, so that it never spills into the second word.
struct RequestWords {
    static constexpr size_t kMaxWordLength = 63;
    int32_t count = 0;  // words found, 0-2
    std::string first;
    std::string second;
};
[[nodiscard]] RequestWords readRequestWords(const char* argument);

class CExampleHandler : public MCommandHandlerInterface {
  public:
    // The application the requests act on; null (before start-up and after the loop)
    // makes every request a no-op.
    void setApplication(Application* app) { app_ = app; }

    void HandleMessage(MTomTomCommunicationLayerInterface* layer, MTomTomSession* session) override;

  private:
    Application* app_ = nullptr;
};

}  // namespace kelvaro
