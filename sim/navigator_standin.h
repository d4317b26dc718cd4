// The navigator as the program sees it through its message files: it answers every
// request addressed to "TomTomNavigationServer" with a status, keeps a log of them in
// root/navigator.log, and sends the program the requests a script asks for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kelvaro::sim {

class NavigatorStandIn {
  public:
    // The conversation number of the navigator's own requests: its process id.
    static constexpr uint32_t kConversation = 1000;
    // Request files read by the stand-in are cut at this size.
    static constexpr size_t kMaxRequestBytes = 1u << 16;

    explicit NavigatorStandIn(std::string root) : root_(std::move(root)) {}

    // Takes every complete request in root/var/run, logs it and, unless silent, answers.
    // A silent navigator leaves the files alone, as a hung one would.
    void step(uint64_t nowMicroseconds);

    void setStatus(int32_t status) { status_ = status; }
    void setSilent(bool silent) { silent_ = silent; }

    // Writes a request to "kelvaro" holding the arguments; false when a file could not be
    // written.
    [[nodiscard]] bool sendRequest(const std::vector<std::string>& arguments);

    uint64_t requestsAnswered() const { return answered_; }

  private:
    void answer(const std::string& sender, uint32_t conversation, int32_t sequence,
                uint64_t nowMicroseconds);

    std::string root_;
    int32_t status_ = 0;
    bool silent_ = false;
    uint32_t sequence_ = 0;
    uint64_t answered_ = 0;
};

// A JSON string literal of the bytes: quotes, backslashes and control characters are
// escaped, valid UTF-8 is kept and any other byte is read as Latin-1, the encoding of
// the card's language files.
std::string jsonString(const std::string& bytes);

}  // namespace kelvaro::sim
