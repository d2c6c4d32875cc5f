// Writes LightWave 5 scene files (keyword per line) the way the show's scene reader reads them.
//
// Owns: the text layout of objects, null objects and cameras with their nine-channel motion
// blocks (position x y z in scene units, heading pitch bank in degrees, scale x y z) and their
// Kochanek-Bartels keys (frame numbers as integers). Every line ends in CR LF and every item block
// ends with an empty line, because the reader ends a block only at a line with no characters.
// Parent and target numbers are 1-based positions in the item list, 0 for none.
// Error policy: misuse (no keys, a link to an item that does not exist) throws std::logic_error.
#pragma once

#include <string>
#include <vector>

namespace cm::content {

struct LwsKey {
    int frame = 0;
    float values[9] = {0, 0, 0, 0, 0, 0, 1, 1, 1};
    float tension = 0, continuity = 0, bias = 0;
};

struct LwsItemDef {
    enum Kind { kObject, kNull, kCamera } kind = kObject;
    std::string objectFile;   // kObject only
    std::vector<LwsKey> keys;  // at least one
    int parent = 0;            // 1-based item number, 0 for none
    int target = 0;            // cameras only
};

class LwsWriter {
public:
    LwsWriter(int firstFrame, int lastFrame) : firstFrame_(firstFrame), lastFrame_(lastFrame) {}
    // Each returns the item's 1-based number, for parent and target links.
    int AddObject(const std::string& file, std::vector<LwsKey> keys, int parent = 0);
    int AddNull(std::vector<LwsKey> keys, int parent = 0);
    int AddCamera(std::vector<LwsKey> keys, int target);

    const std::vector<LwsItemDef>& Items() const { return items_; }
    std::string Serialize() const;

private:
    int firstFrame_, lastFrame_;
    std::vector<LwsItemDef> items_;
};

// A key holding a position only (angles 0, scale 1).
LwsKey PositionKey(int frame, float x, float y, float z);

}  // namespace cm::content
