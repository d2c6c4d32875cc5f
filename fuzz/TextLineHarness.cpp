// Text line reader: every line through the three ReadLine forms in turn, the scene reader's
// keyword lists, and the tokens taken as integers, floats and strings in turn.

#include "Harness.h"

#include "resources/TextLineReader.h"

#include <cstring>

namespace cm::fuzz {
namespace {

// The lists the scene reader matches lines against.
const char* const kKeywordLists[] = {
    ("FirstFrame LastFrame FrameStep FramesPerSecond LoadObject AddNullObject ShowCamera AddLight AmbientColor "
     "AmbIntensity"),
    "ObjectMotion ParentObject PivotPoint",
    "CameraMotion TargetObject ZoomFactor PixelAspectRatio",
    "LightMotion ParentObject TargetObject LightColor LgtIntensity LightType Falloff ConeAngle EdgeAngle",
};

int CountWords(const char* list) {
    int words = 0;
    for (const char* c = list; *c != '\0'; ++c) {
        if (*c != ' ' && (c == list || c[-1] == ' ')) ++words;
    }
    return words;
}

}  // namespace

std::string FuzzTextLines(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    TextLineReader reader;
    if (!reader.Attach(data)) return data.empty() ? std::string() : "a non-empty buffer was refused";

    std::size_t lines = 0;
    std::size_t lineBytes = 0;
    for (;;) {
        char small[16];
        std::string copy;
        bool read = false;
        switch (lines % 3) {
            case 0: read = reader.ReadLine(); break;
            case 1: read = reader.ReadLine(std::span<char>(small)); break;
            default: read = reader.ReadLine(copy); break;
        }
        if (!read) {
            if (reader.GetLine() != nullptr) return "a line remains after the last one";
            break;
        }
        const char* line = reader.GetLine();
        if (line == nullptr) return "no current line after a successful read";
        const std::size_t length = std::strlen(line);
        if (std::strpbrk(line, "\r\n") != nullptr) return "a line holds its terminator";
        if (lines % 3 == 1 && (std::strlen(small) >= sizeof small || std::strncmp(small, line, sizeof small - 1) != 0)) {
            return "the bounded copy is not a terminated prefix of the line";
        }
        if (lines % 3 == 2 && copy != line) return "the string copy differs from the line";
        // Each line costs at least its bytes plus a terminator, so the total is bounded.
        lineBytes += length + 1;
        if (lineBytes > data.size()) return "more line bytes than the buffer holds";
        ++lines;

        for (const char* list : kKeywordLists) {
            const int found = reader.FindKeyword(list);
            if (found < -1 || found >= CountWords(list)) return "a keyword index outside the list";
        }
        const std::size_t tokens = reader.GetTokenCount();
        if (tokens > length / 2 + 1) return "more tokens than a line of that length can hold";
        for (std::size_t i = 0; i < tokens; ++i) {
            bool taken = false;
            std::int32_t integer = 0;
            float real = 0;
            std::string text;
            switch (i % 4) {
                case 0: taken = reader.NextToken(integer); break;
                case 1: taken = reader.NextToken(real); break;
                case 2: taken = reader.NextToken(); break;
                default:
                    taken = reader.NextToken(text);
                    if (taken && (text.empty() || text.find_first_of(" \t") != std::string::npos)) {
                        return "a token is empty or holds a separator";
                    }
                    break;
            }
            if (!taken) return "fewer tokens than counted";
        }
        std::int32_t untouched = 12345;
        if (reader.NextToken(untouched) || untouched != 12345) return "a token past the last one";
    }
    return {};
}

}  // namespace cm::fuzz
