#include "lightwave/LwsReader.h"

#include <cstring>

#include "lightwave/LwsItemNames.h"
#include "resources/DataFile.h"
#include "resources/DosPath.h"
#include "scene/LwsScene.h"
#include "scene/SceneGraph.h"

namespace cm {

namespace {

// A line, like a file name, fits a 512-byte buffer with its NUL.
constexpr std::size_t kMaxLine = 511;

constexpr const char* kTopLevelKeywords =
    "FirstFrame LastFrame FrameStep FramesPerSecond LoadObject AddNullObject ShowCamera AddLight AmbientColor "
    "AmbIntensity";
constexpr const char* kObjectKeywords = "ObjectMotion ParentObject PivotPoint";
constexpr const char* kCameraKeywords = "CameraMotion TargetObject ZoomFactor PixelAspectRatio";
constexpr const char* kLightKeywords =
    "LightMotion ParentObject TargetObject LightColor LgtIntensity LightType Falloff ConeAngle EdgeAngle";

enum TopLevel { kFirstFrame, kLastFrame, kFrameStep, kFramesPerSecond, kLoadObject, kAddNullObject, kShowCamera,
                kAddLight, kAmbientColor, kAmbIntensity };

}  // namespace

LwsReader::LwsReader(std::ostream& echo) : echo_(echo) {}
LwsReader::~LwsReader() = default;

std::unique_ptr<SceneGraph> LwsReader::Load(const char* fileName, TextureManager* textureManager) {
    damage_.clear();
    if (fileName == nullptr) return nullptr;
    // Read whole and closed before parsing; objects open their own files only while building.
    // Only a file that cannot be opened gives no graph: an empty one is an empty scene.
    DataFile file;
    if (!file.Open(fileName)) return nullptr;
    const std::vector<std::uint8_t> bytes = file.ReadAll();
    file.Close();
    return LoadBytes(bytes, fileName, textureManager);
}

std::unique_ptr<SceneGraph> LwsReader::LoadBytes(std::span<const std::uint8_t> bytes, const char* fileName,
                                                 TextureManager* textureManager) {
    damage_.clear();
    if (fileName == nullptr) return nullptr;
    // No bytes attach nothing: no line is read and the graph stays empty.
    lines_ = TextLineReader{};
    lines_.Attach(bytes);
    fileName_ = fileName;
    textures_ = textureManager;
    scene_ = std::make_unique<LwsScene>();
    scene_->SetName(fileName);
    ReadTopLevel();
    std::unique_ptr<SceneGraph> graph = BuildGraph();
    scene_.reset();
    lines_ = TextLineReader{};
    return graph;
}

void LwsReader::Note(const std::string& text) {
    // A file of a million long lines must not make a million notes.
    if (damage_.size() > kMaxNotes) return;
    damage_.push_back(damage_.size() == kMaxNotes ? "LWS " + fileName_ + ": further damage not listed"
                                                  : "LWS " + fileName_ + ": " + text);
}

bool LwsReader::NextLine() {
    if (!lines_.ReadLine()) return false;
    lineTooLong_ = std::strlen(lines_.GetLine()) > kMaxLine;
    if (lineTooLong_) Note("a line of more than 511 characters is ignored");
    return true;
}

bool LwsReader::LineIsEmpty() const {
    const char* line = lines_.GetLine();
    return line != nullptr && line[0] == '\0';
}

int LwsReader::Keyword(const char* list) const { return lineTooLong_ ? -1 : lines_.FindKeyword(list); }

// Values missing from their line read as 0 or empty: the line buffer of a careless reader would
// otherwise hand on whatever the previous line left there.
std::int32_t LwsReader::ReadInt() {
    std::int32_t value = 0;
    if (!lineTooLong_) lines_.NextToken(value);
    return value;
}

float LwsReader::ReadFloat() {
    float value = 0.0f;
    if (!lineTooLong_) lines_.NextToken(value);
    return value;
}

std::string LwsReader::ReadString() {
    std::string value;
    if (!lineTooLong_) lines_.NextToken(value);
    return value;
}

void LwsReader::ReadTopLevel() {
    while (NextLine()) {
        const int keyword = Keyword(kTopLevelKeywords);
        if (keyword < 0) continue;
        lines_.NextToken();  // the keyword itself
        switch (keyword) {
            case kFirstFrame:
                scene_->SetFirstFrame(ReadInt());
                echo_ << "FirstFrame: " << scene_->GetFirstFrame() << std::endl;
                break;
            case kLastFrame:
                scene_->SetLastFrame(ReadInt());
                echo_ << "LastFrame: " << scene_->GetLastFrame() << std::endl;
                break;
            case kFrameStep:
                scene_->SetFrameStep(ReadInt());
                echo_ << "FrameStep: " << scene_->GetFrameStep() << std::endl;
                break;
            case kFramesPerSecond:
                scene_->SetFramesPerSecond(ReadFloat());
                echo_ << "FramesPerSecond: " << scene_->GetFramesPerSecond() << std::endl;
                break;
            case kLoadObject:
            case kAddNullObject: ReadObjectItem(); break;
            case kShowCamera: {
                auto* camera = new LwsCameraItem;
                camera->SetName(NextItemName(kLwsCamera).c_str());
                if (!scene_->AddCameraItem(camera)) { delete camera; break; }
                echo_ << "Camera" << std::endl;
                ReadCameraBlock(*camera);
                break;
            }
            case kAddLight: {
                auto* light = new LwsLightItem;
                light->SetName(NextItemName(kLwsLight).c_str());
                if (!scene_->AddLightItem(light)) { delete light; break; }
                echo_ << "Light: " << light->GetName() << std::endl;
                ReadLightBlock(*light);
                break;
            }
            case kAmbientColor: {
                // The integers as they stand, not scaled to 0..1; alpha 0.
                const float r = static_cast<float>(ReadInt());
                const float g = static_cast<float>(ReadInt());
                const float b = static_cast<float>(ReadInt());
                scene_->SetAmbientColour(Color4(r, g, b, 0.0f));
                echo_ << "Ambient color: " << r << " " << g << " " << b << std::endl;
                break;
            }
            case kAmbIntensity:
                scene_->SetAmbientIntensity(ReadFloat());
                echo_ << "Ambient intensity: " << scene_->GetAmbientIntensity() << std::endl;
                break;
        }
    }
}

void LwsReader::ReadObjectItem() {
    // The name, not the keyword, decides: "Null" is a null object whichever keyword brought it.
    const std::string name = ReadString();
    echo_ << "LoadObject" << std::endl;
    LwsItem* item = nullptr;
    if (CompareNoCase(name, "Null") == 0) {
        auto* helper = new LwsHelperItem;
        helper->SetName(NextItemName(kLwsHelper).c_str());
        if (!scene_->AddHelperItem(helper)) { delete helper; return; }
        item = helper;
    } else {
        auto* mesh = new LwsMeshItem;
        mesh->SetName(NextItemName(kLwsMesh).c_str());
        mesh->SetObjectFile(name.c_str());
        if (!scene_->AddMeshItem(mesh)) { delete mesh; return; }
        item = mesh;
    }
    ReadObjectBlock(*item);
    echo_ << item->GetName() << std::endl;
}

void LwsReader::ReadObjectBlock(LwsItem& item) {
    blockEnded_ = false;
    while (!blockEnded_ && NextLine() && !LineIsEmpty()) {
        const int keyword = Keyword(kObjectKeywords);
        if (keyword < 0) continue;
        lines_.NextToken();
        if (keyword == 0) {
            ReadMotion(item);
        } else if (keyword == 1) {
            item.SetParentNumber(ReadInt());
        } else {
            const float x = ReadFloat(), y = ReadFloat(), z = ReadFloat();
            item.SetPivot(Vector3(x, y, z));
        }
    }
}

void LwsReader::ReadCameraBlock(LwsItem& item) {
    blockEnded_ = false;
    while (!blockEnded_ && NextLine() && !LineIsEmpty()) {
        const int keyword = Keyword(kCameraKeywords);
        if (keyword < 0) continue;
        lines_.NextToken();
        // Zoom factor and pixel aspect ratio are read and dropped.
        if (keyword == 0) {
            ReadMotion(item);
        } else if (keyword == 1) {
            item.SetTargetNumber(ReadInt());
        }
    }
}

void LwsReader::ReadLightBlock(LwsItem& item) {
    auto& light = static_cast<LwsLightItem&>(item);
    blockEnded_ = false;
    while (!blockEnded_ && NextLine() && !LineIsEmpty()) {
        const int keyword = Keyword(kLightKeywords);
        if (keyword < 0) continue;
        lines_.NextToken();
        switch (keyword) {
            case 0: ReadMotion(item); break;
            case 1: item.SetParentNumber(ReadInt()); break;
            case 2: item.SetTargetNumber(ReadInt()); break;
            case 3: {
                const float r = ReadFloat(), g = ReadFloat(), b = ReadFloat();
                light.SetColour(Color4(r, g, b, 1.0f));
                break;
            }
            case 4: light.SetIntensity(ReadFloat()); break;
            case 5: light.SetLightType(ReadInt()); break;
            case 6: light.SetFalloff(ReadFloat()); break;
            case 7: light.SetConeAngle(ReadFloat()); break;
            case 8: light.SetEdgeAngle(ReadFloat()); break;
        }
    }
}

}  // namespace cm
