// Whole files for tests: any file a test reads, and the third-party samples kept in tests/data
// (each one's origin and licence in tests/data/SOURCES.tsv).
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace cm::test {

// The file's bytes. One that cannot be opened fails the calling test, naming it, and reads empty.
inline std::vector<uint8_t> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ADD_FAILURE() << "cannot open " << path.string();
        return {};
    }
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::string ReadText(const std::filesystem::path& path) {
    const std::vector<uint8_t> bytes = ReadBytes(path);
    return {bytes.begin(), bytes.end()};
}

// The names of the files in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// The path of tests/data/RELATIVE. A missing sample fails the calling test, naming the file.
inline std::string SamplePath(const std::string& relative) {
    const std::string path = std::string(CM_REALDATA_DIR) + "/" + relative;
    if (!std::filesystem::is_regular_file(path)) ADD_FAILURE() << "missing test sample " << path;
    return path;
}

inline std::vector<uint8_t> SampleBytes(const std::string& relative) {
    return ReadBytes(std::string(CM_REALDATA_DIR) + "/" + relative);
}

}  // namespace cm::test
