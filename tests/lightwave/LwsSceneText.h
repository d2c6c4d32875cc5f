// Scene text for the scene reader's tests: lines joined with a chosen line end, and motion blocks.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace cm::test {

inline std::string Lines(std::initializer_list<std::string> lines, const std::string& eol = "\r\n") {
    std::string text;
    for (const std::string& line : lines) text += line + eol;
    return text;
}

struct Key {
    std::string values;  // the channel values line
    std::string params;  // frame, linear, tension, continuity, bias
};

// A motion block (without its keyword line) of the given channel count and keys.
inline std::string Motion(const std::string& channels, std::initializer_list<Key> keys, const std::string& eol = "\r\n",
                          const std::string& keyCount = "") {
    std::string text = "  " + channels + eol + "  " + (keyCount.empty() ? std::to_string(keys.size()) : keyCount) + eol;
    for (const Key& k : keys) text += "  " + k.values + eol + "  " + k.params + eol;
    return text + "EndBehavior 1" + eol;
}

// A one-key nine-channel motion at position (x, y, z).
inline std::string Still(const std::string& xyz, const std::string& eol = "\r\n") {
    return Motion("9", {{xyz + " 0 0 0 1 1 1", "0 0 0 0 0"}}, eol);
}

}  // namespace cm::test
