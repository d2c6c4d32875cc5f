// The show program's command line. An option is a field here and a row in the table of
// ShowCommandLine.cpp; the usage text is made from the table.
#pragma once

#include "display/RenderOptions.h"

#include <optional>
#include <string>
#include <vector>

namespace cm {

struct ShowCommandLine {
    std::string dataDir;  // --data: where the show's data is; default: see DataFolder.h
    bool noVsync = false;  // --no-vsync: present every frame at once, as fast as frames come
    RenderOptions render{.threads = 0};  // threads 0 until chosen: the program picks the default
    bool help = false;
    bool version = false;
};

// Parses argv[1..]; on refusal returns nothing and says why in error.
std::optional<ShowCommandLine> ParseShowCommandLine(const std::vector<std::string>& args, std::string& error);

// The usage text, ending with a newline.
std::string ShowUsage();

}  // namespace cm
