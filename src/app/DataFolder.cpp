#include "app/DataFolder.h"

#include "platform/audio/SharedLibrary.h"

#include <filesystem>

namespace cm {

namespace {
namespace fs = std::filesystem;

bool HoldsShowData(const fs::path& folder) {
    std::error_code ec;
    return fs::is_regular_file(folder / "kelvarin.pak", ec) || fs::is_directory(folder / "data", ec);
}
}  // namespace

DataSearch FindDataFolder(const std::string& given) {
    DataSearch search;
    std::vector<fs::path> candidates;
    if (!given.empty()) {
        search.given = true;
        candidates.push_back(given);
    } else if (const std::string exe = ExecutableDirectory(); !exe.empty()) {
        candidates.push_back(exe);
        candidates.push_back((fs::path(exe) / ".." / "share" / "coldmeridian").lexically_normal());
    }
    for (const fs::path& folder : candidates) {
        search.searched.push_back(folder.string());
        if (HoldsShowData(folder)) {
            search.folder = folder.string();
            break;
        }
    }
    return search;
}

std::string DescribeMissingData(const DataSearch& search) {
    std::string places;
    for (const std::string& folder : search.searched) places += (places.empty() ? "" : " or ") + folder;
    if (places.empty()) places = "(the program's own folder is unknown)";
    if (search.given) {
        return "no show data (kelvarin.pak or a data folder) in " + places +
               ", the folder given by --data: name the folder that holds the show's kelvarin.pak";
    }
    return "no show data (kelvarin.pak or a data folder) in " + places +
           ": build the content there, or name the folder that holds it with --data DIR";
}

}  // namespace cm
