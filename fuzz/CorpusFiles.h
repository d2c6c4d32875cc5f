// The corpus and regression files of a harness, read from the source tree.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cm::fuzz::test {

struct CorpusFile {
    std::string path;
    std::vector<std::uint8_t> bytes;
};

// Every regular file under fuzz/<kind>/<harness>/ (kind "corpus" or "regress"), in name order.
inline std::vector<CorpusFile> ReadCorpus(const std::string& kind, const std::string& harness) {
    std::vector<CorpusFile> files;
    const std::filesystem::path folder = std::filesystem::path(CM_SOURCE_DIR) / "fuzz" / kind / harness;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        if (!entry.is_regular_file()) continue;
        std::ifstream in(entry.path(), std::ios::binary);
        files.push_back({entry.path().string(),
                         {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()}});
    }
    std::sort(files.begin(), files.end(), [](const CorpusFile& a, const CorpusFile& b) { return a.path < b.path; });
    return files;
}

}  // namespace cm::fuzz::test
