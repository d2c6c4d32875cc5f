// The show's data set: every object, scene and image the parts load, built in memory.
//
// Owns: what each file contains (the look) and the names the scenes use for each other. Names are
// the show's DOS-style names ("data\introScene.lws"); the file on disk and the pack entry use the
// part after the last backslash. Scene units are LightWave metres, scene times frame numbers, image
// sizes pixels. Everything is deterministic: fixed seeds, no clock.
// Error policy: a generator fault throws; the build step then fails rather than ship bad data.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "images/Image.h"
#include "lwo/LwoWriter.h"
#include "lws/LwsWriter.h"

namespace cm::content {

struct ShowData {
    std::map<std::string, LwoWriter> objects;  // by the name the scenes load them under
    std::map<std::string, LwsWriter> scenes;   // by the name the parts load them under
    std::map<std::string, Image> images;       // the pictures behind the image files
    std::map<std::string, std::vector<uint8_t>> files;  // every file, objects and scenes included
};

// File part of a DOS-style name: "data\introScene.lws" -> "introScene.lws".
std::string FileNameOf(const std::string& dosName);

void BuildObjects(ShowData& show);
void BuildScenes(ShowData& show);
void BuildImages(ShowData& show);
// All of the above, plus the serialised objects and scenes in `files`.
ShowData BuildShow();

}  // namespace cm::content
