// A system locale built with localedef into a scratch folder for one test, so that tests can run
// under locales the machine has not installed. LOCPATH points at the folder while it lives.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

namespace cm::test {

class ScratchLocale {
public:
    // source: a locale source such as "tr_TR"; the locale is named source + ".UTF-8".
    explicit ScratchLocale(const std::string& source)
        : dir_(std::filesystem::temp_directory_path() / ("cm_locale_" + std::to_string(getpid()))),
          name_(source + ".UTF-8") {
        std::filesystem::create_directories(dir_);
        const std::string make = "localedef -i " + source + " -f UTF-8 " + (dir_ / name_).string() + " >/dev/null 2>&1";
        built_ = std::system(make.c_str()) == 0;
        if (built_) setenv("LOCPATH", dir_.c_str(), 1);
    }
    ~ScratchLocale() {
        unsetenv("LOCPATH");
        std::error_code ignored;
        std::filesystem::remove_all(dir_, ignored);
    }
    ScratchLocale(const ScratchLocale&) = delete;
    ScratchLocale& operator=(const ScratchLocale&) = delete;

    // False where localedef or the locale sources are missing: callers skip.
    bool Built() const { return built_; }
    const char* Name() const { return name_.c_str(); }

private:
    std::filesystem::path dir_;
    std::string name_;
    bool built_ = false;
};

}  // namespace cm::test
