// Reads a text buffer line by line and splits each line into tokens at spaces and tabs.
//
// Line rule: a line ends at CR, LF or NUL; a single LF right after that terminator belongs to the
// same line end, so CR LF and LF LF each end one line (a blank line between two LFs vanishes)
// while CR LF CR LF gives one empty line. A last line without a terminator is never returned.
//
// The buffer is not owned and must outlive the reader. The number conversions ignore the
// process locale (AsciiNumber.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

class TextLineReader {
public:
    // False for a null buffer or an empty one. Starts at the buffer's first byte.
    bool Attach(const char* buffer, std::size_t length);
    bool Attach(std::span<const std::uint8_t> bytes) {
        return Attach(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    // Moves to the next line and tokenizes it; false (and no current line) when no terminated
    // line is left. The forms with a destination also copy the line there: into out truncated to
    // out.size() - 1 bytes and always NUL-terminated (nothing when out is empty), or whole into a
    // string.
    bool ReadLine();
    bool ReadLine(std::span<char> out);
    bool ReadLine(std::string& out);

    // The current line (without terminator), or null when there is none.
    const char* GetLine() const { return hasLine ? line.c_str() : nullptr; }
    std::size_t GetTokenCount() const { return tokens.size(); }

    // keywords: one string of names separated by spaces or tabs. Returns the index of the keyword
    // that matches a token of the current line (any position, case ignored); when several match,
    // the one latest in keywords wins. -1 for a null list, no line or no match.
    int FindKeyword(const char* keywords) const;

    // Takes the next token of the current line; false, storing nothing, when none is left.
    // Conversions: integer like atoi, float like atof (both locale-free), or a string copy.
    bool NextToken();
    bool NextToken(std::int32_t& out);
    bool NextToken(float& out);
    bool NextToken(std::string& out);

private:
    const std::string* TakeToken();

    const char* buffer = nullptr;
    std::size_t length = 0;
    std::size_t position = 0;
    bool hasLine = false;
    std::string line;
    std::size_t tokenCursor = 0;
    std::vector<std::string> tokens;
};

}  // namespace cm
