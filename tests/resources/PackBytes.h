// Builds pack archives byte by byte, sound or damaged, in scratch folders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace cm::test {

using Bytes = std::vector<std::uint8_t>;

inline void PutU32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

// A sound header and its data; a name of 128 bytes or more fills the field without a NUL.
inline void AddEntry(Bytes& pack, const std::string& name, const std::string& data, std::uint32_t flags = 0) {
    const std::size_t at = pack.size();
    pack.resize(at + 144, 0);
    std::memcpy(pack.data() + at, name.data(), std::min<std::size_t>(name.size(), 128));
    PutU32(pack, at + 128, static_cast<std::uint32_t>(data.size()));
    PutU32(pack, at + 132, static_cast<std::uint32_t>(data.size()));
    PutU32(pack, at + 136, flags);
    PutU32(pack, at + 140, static_cast<std::uint32_t>(at));
    pack.insert(pack.end(), data.begin(), data.end());
}

inline void AddCount(Bytes& pack, std::uint32_t count) {
    pack.resize(pack.size() + 4);
    PutU32(pack, pack.size() - 4, count);
}

inline std::string Text(const Bytes& b) { return std::string(b.begin(), b.end()); }

// A fresh folder named after the running test and process (builds may run the suite side by
// side), removed at the end of the test.
struct ScratchDir {
    ScratchDir() {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path = std::filesystem::temp_directory_path() / ("cm_" + std::string(info->test_suite_name()) + "_" +
                                                         info->name() + "_" + std::to_string(getpid()));
        std::filesystem::remove_all(path);
        std::filesystem::create_directories(path);
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    std::string Write(const std::string& name, const Bytes& bytes) const {
        std::ofstream(path / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return (path / name).string();
    }
    std::filesystem::path path;
};

}  // namespace cm::test
