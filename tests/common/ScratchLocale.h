// A system locale built with localedef into a folder of this process's own and removed with it,
// for tests that must run under a locale the machine has not installed. Name the folder in
// LOCPATH, then select the locale as source + ".UTF-8".
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace cm::test {

struct ScratchLocale {
    // source: a locale source such as "tr_TR".
    explicit ScratchLocale(const std::string& source)
        : dir(std::filesystem::temp_directory_path() / ("cm_locale_" + source + "_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir);
        const std::filesystem::path built = dir / (source + ".UTF-8");
        const std::string make = "localedef -i " + source + " -f UTF-8 " + built.string() + " >/dev/null 2>&1";
        if (std::system(make.c_str()) == 0 || std::filesystem::exists(built)) folder = dir.string();
    }
    ~ScratchLocale() {
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    ScratchLocale(const ScratchLocale&) = delete;
    ScratchLocale& operator=(const ScratchLocale&) = delete;

    std::filesystem::path dir;
    std::string folder;  // empty when the system has no locale sources to build it from
};

}  // namespace cm::test
