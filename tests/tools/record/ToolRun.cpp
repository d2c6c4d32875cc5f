#include "ToolRun.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstring>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace cm::record::test {

RecordOptions Options(const std::vector<std::string>& args) {
    std::string error;
    auto o = ParseRecordOptions(args, error);
    EXPECT_TRUE(o) << error;
    RecordOptions r = o ? *o : RecordOptions{};
    r.quiet = true;
    return r;
}

std::string Shell(const std::string& command, int* status) {
    std::string out;
    FILE* p = popen(command.c_str(), "r");
    if (status) *status = -1;
    if (p == nullptr) return out;
    char buffer[65536];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, p)) > 0) out.append(buffer, n);
    const int rc = pclose(p);
    if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    return out;
}

std::string Probe(const std::string& file, const std::string& stream, const std::string& entry) {
    std::string v = Shell("ffprobe -v error -select_streams " + stream + " -count_frames -show_entries stream=" +
                          entry + " -of default=nw=1:nk=1 '" + file + "'");
    while (!v.empty() && (v.back() == '\n' || v.back() == '\r')) v.pop_back();
    return v;
}

std::vector<int16_t> DecodeAudio(const std::string& file) {
    const std::string raw = Shell("ffmpeg -v error -nostdin -i '" + file + "' -map 0:a:0 -f s16le -ac 2 -ar 48000 -");
    std::vector<int16_t> s(raw.size() / 2);
    std::memcpy(s.data(), raw.data(), s.size() * 2);
    return s;
}

double Rms(const std::vector<int16_t>& samples) {
    double sum = 0.0;
    for (int16_t v : samples) sum += double(v) * v;
    return samples.empty() ? 0.0 : std::sqrt(sum / double(samples.size()));
}

double MeanBrightness(const Image& image) {
    uint64_t sum = 0;
    for (uint32_t p : image.pixels) sum += ((p >> 16) & 0xFF) + ((p >> 8) & 0xFF) + (p & 0xFF);
    return image.pixels.empty() ? 0.0 : double(sum) / (3.0 * double(image.pixels.size()));
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::string> FilesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace cm::record::test
