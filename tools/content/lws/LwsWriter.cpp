#include "lws/LwsWriter.h"

#include <cstdio>
#include <initializer_list>
#include <stdexcept>

namespace cm::content {
namespace {

// Shortest "%.7g"-style text that atof reads back as the same float: deterministic, no locale
// (the generator never calls setlocale), no exponent for the magnitudes scenes use.
std::string Num(float v) {
    if (v == 0) return "0";  // also turns -0 into 0
    char buf[48];
    std::snprintf(buf, sizeof buf, "%.6f", double(v));
    std::string s(buf);
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
}

// Appends one line made of the given parts, ended by CR LF. (Built by appending rather than with
// operator+ on temporaries, which trips a false -Wrestrict in GCC 12.)
void Line(std::string& out, std::initializer_list<std::string> parts) {
    for (const std::string& p : parts) out += p;
    out += "\r\n";
}

void Motion(std::string& out, const char* keyword, const std::vector<LwsKey>& keys) {
    Line(out, {keyword, " (unnamed)"});
    Line(out, {"  9"});
    Line(out, {"  ", std::to_string(keys.size())});
    for (const LwsKey& k : keys) {
        std::string values = " ";
        for (float v : k.values) {
            values += ' ';
            values += Num(v);
        }
        Line(out, {values});
        Line(out, {"  ", std::to_string(k.frame), " 0 ", Num(k.tension), " ", Num(k.continuity), " ", Num(k.bias)});
    }
    Line(out, {"EndBehavior 1"});
}

}  // namespace

LwsKey PositionKey(int frame, float x, float y, float z) {
    LwsKey k;
    k.frame = frame;
    k.values[0] = x;
    k.values[1] = y;
    k.values[2] = z;
    return k;
}

int LwsWriter::AddObject(const std::string& file, std::vector<LwsKey> keys, int parent) {
    if (file.empty() || file == "Null") throw std::logic_error("LwsWriter: bad object file name");
    items_.push_back({LwsItemDef::kObject, file, std::move(keys), parent, 0});
    return int(items_.size());
}

int LwsWriter::AddNull(std::vector<LwsKey> keys, int parent) {
    items_.push_back({LwsItemDef::kNull, "", std::move(keys), parent, 0});
    return int(items_.size());
}

int LwsWriter::AddCamera(std::vector<LwsKey> keys, int target) {
    items_.push_back({LwsItemDef::kCamera, "", std::move(keys), 0, target});
    return int(items_.size());
}

std::string LwsWriter::Serialize() const {
    const int count = int(items_.size());
    std::string out;
    Line(out, {"LWSC"});
    Line(out, {"1"});
    Line(out, {});
    Line(out, {"FirstFrame ", std::to_string(firstFrame_)});
    Line(out, {"LastFrame ", std::to_string(lastFrame_)});
    Line(out, {"FrameStep 1"});
    Line(out, {"FramesPerSecond 30"});
    Line(out, {});
    for (const LwsItemDef& item : items_) {
        if (item.keys.empty()) throw std::logic_error("LwsWriter: an item without keys");
        if (item.parent < 0 || item.parent > count || item.target < 0 || item.target > count)
            throw std::logic_error("LwsWriter: link to a missing item");
        switch (item.kind) {
        case LwsItemDef::kObject:
        case LwsItemDef::kNull:
            if (item.kind == LwsItemDef::kObject)
                Line(out, {"LoadObject ", item.objectFile});
            else
                Line(out, {"AddNullObject Null"});
            Line(out, {"ShowObject 8 7"});
            Motion(out, "ObjectMotion", item.keys);
            if (item.parent) Line(out, {"ParentObject ", std::to_string(item.parent)});
            break;
        case LwsItemDef::kCamera:
            Line(out, {"ShowCamera 1 7"});
            Motion(out, "CameraMotion", item.keys);
            if (item.target) Line(out, {"TargetObject ", std::to_string(item.target)});
            Line(out, {"ZoomFactor 3.2"});
            break;
        }
        Line(out, {});
    }
    Line(out, {"AmbientColor 255 255 255"});
    Line(out, {"AmbIntensity 0.25"});
    Line(out, {});
    return out;
}

}  // namespace cm::content
