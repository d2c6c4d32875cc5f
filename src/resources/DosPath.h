// DOS-style path helpers: the splitting, joining and case-insensitive comparison the data names
// rely on. A name such as "data\introScene.lws" may use '\' or '/' as separators.
#pragma once

#include <string>
#include <string_view>

namespace cm {

struct DosPathParts {
    std::string drive;      // "C:" or empty
    std::string directory;  // up to and including the last separator, or empty
    std::string name;       // file name without extension
    std::string extension;  // from the last '.' of the file name on, dot included, or empty
};

// Splits like the C runtime's _splitpath: a drive only when the second character is ':'; the
// directory ends at the last '\' or '/'; the extension starts at the last '.' after it.
DosPathParts SplitDosPath(std::string_view path);

// Joins like _makepath: "C" gains a ':', a directory without a trailing separator gains '\', an
// extension without a leading '.' gains one.
std::string MakeDosPath(std::string_view drive, std::string_view directory, std::string_view name,
                        std::string_view extension);

// "data\introScene.lws" -> "introScene.lws": file name and extension without drive or directory.
std::string DosFileName(std::string_view path);

// The name to open on this system's disk: every '\' becomes '/'.
std::string DiskPathFromDos(std::string_view path);

// Like _stricmp: compares ASCII letters without regard to case, independent of the locale.
// Negative, zero or positive as a sorts before, equal to or after b.
int CompareNoCase(std::string_view a, std::string_view b);

// The name with ASCII capitals made small, locale-free: a key under which names equal by
// CompareNoCase are equal.
std::string FoldedCase(std::string_view name);

}  // namespace cm
