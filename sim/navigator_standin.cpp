#include "sim/navigator_standin.h"

#include <dirent.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <tuple>

#include "navlink/file_layer.h"

namespace kelvaro::sim {

namespace {

constexpr const char* kOwnName = "TomTomNavigationServer";
constexpr const char* kProgramName = "kelvaro";

// The message written, then its ".finished" marker, each closed before the next.
bool writeMessage(const std::string& stem, const std::string& text) {
    {
        std::ofstream message(stem + ".message", std::ios::binary | std::ios::trunc);
        message.write(text.c_str(), static_cast<std::streamsize>(text.size() + 1));
        if (!message.flush()) {
            return false;
        }
    }
    std::ofstream finished(stem + ".finished", std::ios::binary | std::ios::trunc);
    finished.write("finish\n", 8);
    return static_cast<bool>(finished.flush());
}

// The arguments of a message: up to its zero byte, each ended by "|"; what follows the
// last "|" is not an argument.
std::vector<std::string> readArguments(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string text(NavigatorStandIn::kMaxRequestBytes, '\0');
    in.read(&text[0], static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    text.resize(std::min(text.size(), text.find('\0')));
    std::vector<std::string> arguments;
    size_t start = 0;
    for (size_t bar = text.find('|'); bar != std::string::npos; bar = text.find('|', start)) {
        arguments.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return arguments;
}

size_t utf8SequenceLength(const std::string& bytes, size_t at) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const unsigned char lead = byte(at);
    size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return 0;
    }
    if (at + length > bytes.size()) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(at + i) & 0xC0) != 0x80) {
            return 0;
        }
    }
    // Overlong forms, surrogates and code points beyond U+10FFFF.
    const unsigned char second = byte(at + 1);
    if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
        (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F)) {
        return 0;
    }
    return length;
}

}  // namespace

std::string jsonString(const std::string& bytes) {
    std::string out = "\"";
    for (size_t at = 0; at < bytes.size();) {
        const unsigned char c = static_cast<unsigned char>(bytes[at]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c >= 0x80) {
            const size_t length = utf8SequenceLength(bytes, at);
            if (length > 0) {
                out.append(bytes, at, length);
                at += length;
                continue;
            }
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
        ++at;
    }
    return out + "\"";
}

void NavigatorStandIn::step(uint64_t nowMicroseconds) {
    if (silent_) {
        return;
    }
    DIR* folder = ::opendir((root_ + "/var/run").c_str());
    if (folder == nullptr) {
        return;
    }
    std::vector<MessageName> requests;
    while (const dirent* entry = ::readdir(folder)) {
        MessageName name;
        if (parseFinishedName(entry->d_name, &name) && name.addressee == kOwnName) {
            requests.push_back(std::move(name));
        }
    }
    ::closedir(folder);
    std::sort(requests.begin(), requests.end(), [](const MessageName& a, const MessageName& b) {
        return std::tie(a.conversation, a.sequence, a.sender) <
               std::tie(b.conversation, b.sequence, b.sender);
    });
    for (const MessageName& request : requests) {
        answer(request.sender, request.conversation, request.sequence, nowMicroseconds);
    }
}

void NavigatorStandIn::answer(const std::string& sender, uint32_t conversation, int32_t sequence,
                              uint64_t nowMicroseconds) {
    const std::string numbers =
        "." + std::to_string(conversation) + "." + std::to_string(static_cast<uint32_t>(sequence));
    const std::string request = root_ + "/var/run/" + sender + "." + kOwnName + numbers;
    const std::vector<std::string> arguments = readArguments(request + ".message");
    ::unlink((request + ".finished").c_str());
    ::unlink((request + ".message").c_str());

    char time[32];
    std::snprintf(time, sizeof time, "%.3f", static_cast<double>(nowMicroseconds) / 1e6);
    std::string line = std::string("{\"time\": ") + time + ", \"command\": " +
                       jsonString(arguments.empty() ? std::string() : arguments[0]) +
                       ", \"arguments\": [";
    for (size_t i = 1; i < arguments.size(); ++i) {
        line += (i > 1 ? ", " : "") + jsonString(arguments[i]);
    }
    line += "]}\n";
    std::ofstream log(root_ + "/navigator.log", std::ios::binary | std::ios::app);
    log << line;

    const std::string reply = root_ + "/var/run/" + kOwnName + "." + sender + numbers;
    if (writeMessage(reply, std::to_string(status_) + "|")) {
        ++answered_;
    }
}

bool NavigatorStandIn::sendRequest(const std::vector<std::string>& arguments) {
    ++sequence_;
    std::string text;
    for (const std::string& argument : arguments) {
        text += argument + "|";
    }
    const std::string stem = root_ + "/var/run/" + kOwnName + "." + kProgramName + "." +
                             std::to_string(kConversation) + "." + std::to_string(sequence_);
    return writeMessage(stem, text);
}

}  // namespace kelvaro::sim
