// A system locale built with localedef into a folder of this process's own and removed with it,
// for tests that must run under a locale the machine has not installed: Select() points LOCPATH
// at the folder and loads the locale for one category; the destructor puts that category back
// to "C".
#pragma once

#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace cm::test {

struct ScratchLocale {
    // source: a locale source such as "tr_TR"; the locale is then source + ".UTF-8".
    explicit ScratchLocale(const std::string& source)
        : name(source + ".UTF-8"),
          dir(std::filesystem::temp_directory_path() / ("cm_locale_" + source + "_" + std::to_string(getpid()))) {
        std::filesystem::create_directories(dir);
        const std::string make = "localedef -i " + source + " -f UTF-8 " + (dir / name).string() + " >/dev/null 2>&1";
        if (std::system(make.c_str()) == 0 || std::filesystem::exists(dir / name)) folder = dir.string();
    }
    ~ScratchLocale() {
        if (selected >= 0) {
            std::setlocale(selected, "C");
            unsetenv("LOCPATH");
        }
        std::error_code ec;
        std::filesystem::remove_all(dir, ec);
    }
    ScratchLocale(const ScratchLocale&) = delete;
    ScratchLocale& operator=(const ScratchLocale&) = delete;

    // False when the system cannot build or load the locale.
    bool Select(int category) {
        if (folder.empty()) return false;
        setenv("LOCPATH", folder.c_str(), 1);
        selected = category;
        return std::setlocale(category, name.c_str()) != nullptr;
    }

    std::string name;
    std::filesystem::path dir;
    std::string folder;  // empty when the system has no locale sources to build it from
    int selected = -1;
};

}  // namespace cm::test
