// Where the show's data lives: the folder holding kelvarin.pak or the loose data/ tree, with
// kelvarin.xm beside them. Both programs look in the same places, in the same order.
#pragma once

#include <string>
#include <vector>

namespace cm {

struct DataSearch {
    std::string folder;                 // the first folder that holds the data; empty if none does
    std::vector<std::string> searched;  // every folder looked in, in order
    bool given = false;                 // the folder was named on the command line
};

// Looks only in `given` when it is set; otherwise next to the running executable, then in
// <executable's folder>/../share/coldmeridian (the installed layout). Never the working folder.
DataSearch FindDataFolder(const std::string& given);

// One line saying where the data was looked for and how to name its folder with --data.
std::string DescribeMissingData(const DataSearch& search);

}  // namespace cm
