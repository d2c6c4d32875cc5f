// fuzz-deps: cm_resources
// Any bytes as scene text: lines, keywords and every kind of token conversion.
#include "resources/TextLineReader.h"

#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    cm::TextLineReader reader;
    if (!reader.Attach(reinterpret_cast<const char*>(data), size)) return 0;
    char line[16];
    while (reader.ReadLine(std::span<char>(line, sizeof line))) {
        reader.FindKeyword("FirstFrame LoadObject ShowCamera AddLight");
        std::int32_t i;
        float f;
        std::string s;
        while (reader.NextToken(i) && reader.NextToken(f) && reader.NextToken(s)) {
        }
    }
    return 0;
}
