// A locale with a comma as its decimal mark (de_DE), built with localedef into a folder of this
// process's own and removed with it, for tests that show a number is read the C way whatever the
// locale says. Name the folder in LOCPATH.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace cm::test {

struct CommaLocale {
    CommaLocale() {
        const std::filesystem::path dir =
            std::filesystem::temp_directory_path() / ("cm_comma_locale_" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
        const std::string make = "localedef -i de_DE -f UTF-8 " + (dir / "de_DE.UTF-8").string() + " >/dev/null 2>&1";
        if (std::system(make.c_str()) == 0 || std::filesystem::exists(dir / "de_DE.UTF-8")) folder = dir.string();
    }
    ~CommaLocale() {
        std::error_code ec;
        std::filesystem::remove_all(std::filesystem::temp_directory_path() / ("cm_comma_locale_" + std::to_string(getpid())), ec);
    }
    std::string folder;  // empty when the system has no locale sources to build it from
};

}  // namespace cm::test
