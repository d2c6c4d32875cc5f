#include "resources/TextLineReader.h"

#include "resources/AsciiNumber.h"
#include "resources/DosPath.h"

#include <algorithm>
#include <cstring>

namespace cm {

namespace {

bool IsSeparator(char c) { return c == ' ' || c == '\t'; }

// Splits at runs of spaces and tabs; leading and trailing runs give no empty token.
template <typename Visit>
void ForEachWord(std::string_view text, Visit visit) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && IsSeparator(text[i])) ++i;
        const std::size_t start = i;
        while (i < text.size() && !IsSeparator(text[i])) ++i;
        if (i > start) visit(text.substr(start, i - start));
    }
}

}  // namespace

bool TextLineReader::Attach(const char* newBuffer, std::size_t newLength) {
    if (newBuffer == nullptr || newLength < 1) return false;
    buffer = newBuffer;
    length = newLength;
    position = 0;
    tokenCursor = 0;
    tokens.clear();
    hasLine = false;
    line.clear();
    return true;
}

bool TextLineReader::ReadLine() {
    tokenCursor = 0;
    tokens.clear();
    hasLine = false;
    line.clear();
    if (buffer == nullptr || position >= length) return false;

    std::size_t end = position;
    while (end < length && buffer[end] != '\r' && buffer[end] != '\n' && buffer[end] != '\0') ++end;
    if (end == length) return false;

    line.assign(buffer + position, end - position);
    hasLine = true;
    ForEachWord(line, [this](std::string_view word) { tokens.emplace_back(word); });

    position = end + 1;
    if (position < length && buffer[position] == '\n') ++position;
    return true;
}

bool TextLineReader::ReadLine(std::span<char> out) {
    if (!ReadLine()) return false;
    if (!out.empty()) {
        const std::size_t n = std::min(line.size(), out.size() - 1);
        std::memcpy(out.data(), line.data(), n);
        out[n] = '\0';
    }
    return true;
}

bool TextLineReader::ReadLine(std::string& out) {
    if (!ReadLine()) return false;
    out = line;
    return true;
}

int TextLineReader::FindKeyword(const char* keywords) const {
    if (keywords == nullptr || !hasLine || tokens.empty()) return -1;
    int found = -1;
    int index = 0;
    ForEachWord(keywords, [&](std::string_view keyword) {
        for (const std::string& token : tokens) {
            if (CompareNoCase(token, keyword) == 0) {
                found = index;
                break;
            }
        }
        ++index;
    });
    return found;
}

const std::string* TextLineReader::TakeToken() {
    if (tokenCursor >= tokens.size()) return nullptr;
    return &tokens[tokenCursor++];
}

bool TextLineReader::NextToken() { return TakeToken() != nullptr; }

bool TextLineReader::NextToken(std::int32_t& out) {
    const std::string* token = TakeToken();
    if (token == nullptr) return false;
    out = AsciiToInt(token->c_str());
    return true;
}

bool TextLineReader::NextToken(float& out) {
    const std::string* token = TakeToken();
    if (token == nullptr) return false;
    out = AsciiToFloat(token->c_str());
    return true;
}

bool TextLineReader::NextToken(std::string& out) {
    const std::string* token = TakeToken();
    if (token == nullptr) return false;
    out = *token;
    return true;
}

}  // namespace cm
