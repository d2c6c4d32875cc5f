#include "ScratchFile.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <set>

#include <unistd.h>

namespace cm::fuzz {
namespace {

std::set<std::string>& Written() {
    static auto* paths = new std::set<std::string>;  // never freed: it must outlive atexit
    return *paths;
}

void RemoveAll() {
    std::error_code ignored;
    for (const std::string& path : Written()) std::filesystem::remove(path, ignored);
}

}  // namespace

std::string ScratchPath(const char* purpose) {
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(&RemoveAll); });

    std::error_code error;
    const std::filesystem::path folder = std::filesystem::temp_directory_path(error);
    if (error) return {};
    std::string path = (folder / ("cm_fuzz_" + std::to_string(getpid()) + "_" + purpose)).string();
    Written().insert(path);
    return path;
}

std::string WriteScratch(const char* purpose, Input data) {
    const std::string path = ScratchPath(purpose);
    if (path.empty()) return {};
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return {};
    const bool written = data.empty() || std::fwrite(data.data(), 1, data.size(), file) == data.size();
    const bool closed = std::fclose(file) == 0;
    return written && closed ? path : std::string();
}

}  // namespace cm::fuzz
