// The LightWave scene reader: a keyword-per-line scene file (LightWave 5 syntax) becomes a
// SceneGraph with a Mesh per loaded object, a HelperNode per null object and a Camera per camera,
// each animated by position, rotation and scale channels from its motion block, with parents,
// targets and roots linked. Lights are read but give no node.
//
// Lines end at CR, LF or NUL, and a single LF right after a terminator belongs to it, so with
// LF-only line ends no line is ever empty: a block, which ends at an empty line or the end of the
// file, then runs to the end of the file.
//
// The reader echoes what it reads, one flushed line per event, to the stream it was made with
// (standard output unless a test gives another).
//
// Damage (noted in GetDamage): lines longer than 511 characters match nothing and give no values;
// a motion's channel count is clamped to 0..9 and a negative key count reads as 0; keys are read
// only as far as the file goes, a key whose two lines are not both there is dropped, and an empty
// line inside a motion ends the motion and its block; values missing from a line read as 0 (scale
// as 1, so that a short motion does not collapse its node); parent and target numbers beyond the
// item list or naming the item itself are ignored, and a parent that would close a loop is
// refused, leaving that node a root.
#pragma once

#include <cstdint>
#include <iostream>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "resources/TextLineReader.h"

namespace cm {

class KeyChannel;
class LwsItem;
class LwsMotion;
class LwsScene;
class SceneGraph;
class TextureManager;

class LwsReader {
public:
    explicit LwsReader(std::ostream& echo = std::cout);
    ~LwsReader();

    // A new graph owned by the caller, or null when the file cannot be opened; an empty file (or
    // an unreadable pack entry) gives an empty graph. Objects are loaded with textureManager
    // (objects cannot be loaded without one: they give no node then).
    std::unique_ptr<SceneGraph> Load(const char* fileName, TextureManager* textureManager);
    // The same from bytes already in memory; fileName names the scene and places the second try
    // of object files.
    std::unique_ptr<SceneGraph> LoadBytes(std::span<const std::uint8_t> bytes, const char* fileName,
                                          TextureManager* textureManager);

    // What the last load refused or cut, one line each; the first kMaxNotes.
    const std::vector<std::string>& GetDamage() const { return damage_; }
    static constexpr std::size_t kMaxNotes = 64;

private:
    // LwsReader.cpp: lines, the top level and the item blocks.
    bool NextLine();
    bool LineIsEmpty() const;
    int Keyword(const char* list) const;
    std::int32_t ReadInt();
    float ReadFloat();
    std::string ReadString();
    void ReadTopLevel();
    void ReadObjectItem();
    void ReadObjectBlock(LwsItem& item);
    void ReadCameraBlock(LwsItem& item);
    void ReadLightBlock(LwsItem& item);
    // LwsMotionBlock.cpp
    struct RawKey;
    void ReadMotion(LwsItem& item);
    bool ReadCountLine(std::int32_t& count);
    bool ReadKeys(std::int32_t channels, std::int32_t keyCount, std::vector<RawKey>& keys);
    std::int32_t ReadEndBehavior(const std::string& name);
    void AttachMotions(LwsItem& item, const std::vector<RawKey>& keys, std::int32_t endBehavior);
    // LwsGraphBuilder.cpp
    std::unique_ptr<SceneGraph> BuildGraph();
    void BuildNodes(SceneGraph& graph);
    void LinkNodes(SceneGraph& graph);
    std::unique_ptr<KeyChannel> ChannelFrom(const LwsMotion* motion, bool rotation) const;

    void Note(const std::string& text);

    std::ostream& echo_;
    TextLineReader lines_;
    bool lineTooLong_ = false;
    // Set when a motion stopped at an empty line: the block around it ends there too.
    bool blockEnded_ = false;
    std::unique_ptr<LwsScene> scene_;
    std::string fileName_;
    TextureManager* textures_ = nullptr;
    std::vector<std::string> damage_;
};

}  // namespace cm
