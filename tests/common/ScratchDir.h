// A fresh folder for one test, named after the running test and process (builds may run the
// suite side by side), removed at the end of the test.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace cm::test {

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
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    // Writes NAME (folders on the way made) and returns its path.
    std::string Write(const std::string& name, const std::vector<std::uint8_t>& bytes) const {
        const std::filesystem::path p = path / name;
        std::filesystem::create_directories(p.parent_path());
        std::ofstream(p, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return p.string();
    }
    std::string WriteText(const std::string& name, const std::string& text) const {
        return Write(name, std::vector<std::uint8_t>(text.begin(), text.end()));
    }
    std::string Path(const std::string& name) const { return (path / name).string(); }

    std::filesystem::path path;
};

}  // namespace cm::test
