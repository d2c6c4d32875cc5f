#include "lightwave/LwoReader.h"

#include <cstdarg>
#include <cstdio>

#include "resources/ByteCursor.h"
#include "resources/DataFile.h"
#include "scene/Mesh.h"

namespace cm {

std::unique_ptr<Mesh> LwoReader::Load(const char* fileName, SceneGraph* materialLibrary,
                                      TextureManager* textureManager) {
    damage_.clear();
    if (fileName == nullptr || textureManager == nullptr) return nullptr;
    // Read whole and closed before anything else opens a file: the pack serves one entry at a
    // time, and building the materials opens images.
    const std::vector<std::uint8_t> bytes = DataFile::Load(fileName);
    if (bytes.empty()) return nullptr;
    return LoadBytes(bytes, fileName, materialLibrary, textureManager);
}

std::unique_ptr<Mesh> LwoReader::LoadBytes(std::span<const std::uint8_t> bytes, const char* fileName,
                                           SceneGraph* materialLibrary, TextureManager* textureManager) {
    damage_.clear();
    if (fileName == nullptr || textureManager == nullptr) return nullptr;
    // The FORM tag and length (bytes 0..7) are not looked at; only the form type decides.
    constexpr std::size_t kFirstChunk = 12;
    if (bytes.size() < kFirstChunk || bytes[8] != 'L' || bytes[9] != 'W' || bytes[10] != 'O' || bytes[11] != 'B') {
        return nullptr;
    }
    object_ = LwoObject{};
    object_.name = fileName;
    library_ = materialLibrary;
    textures_ = textureManager;

    ByteCursor in(bytes);
    in.Seek(kFirstChunk);
    WalkChunks(in);
    std::unique_ptr<Mesh> mesh = BuildMesh();
    object_ = LwoObject{};
    materialsByName_.clear();
    return mesh;
}

void LwoReader::Note(const char* format, ...) {
    // A file of a million broken polygons must not make a million notes.
    if (damage_.size() > kMaxNotes) return;
    if (damage_.size() == kMaxNotes) {
        damage_.push_back("LWOB: further damage not listed");
        return;
    }
    char text[640];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    damage_.push_back(std::string("LWOB: ") + text);
}

}  // namespace cm
