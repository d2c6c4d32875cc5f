#include "resources/DosPath.h"

namespace cm {

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// _stricmp folds to lower case before comparing, which decides the order of '_' against letters.
unsigned char FoldCase(char c) {
    const auto u = static_cast<unsigned char>(c);
    return (u >= 'A' && u <= 'Z') ? static_cast<unsigned char>(u - 'A' + 'a') : u;
}

}  // namespace

DosPathParts SplitDosPath(std::string_view path) {
    DosPathParts parts;
    if (path.size() >= 2 && path[1] == ':') {
        parts.drive = std::string(path.substr(0, 2));
        path.remove_prefix(2);
    }
    std::size_t fileStart = 0;
    for (std::size_t i = 0; i < path.size(); ++i)
        if (IsSeparator(path[i])) fileStart = i + 1;
    parts.directory = std::string(path.substr(0, fileStart));
    const std::string_view file = path.substr(fileStart);
    const std::size_t dot = file.rfind('.');
    if (dot == std::string_view::npos) {
        parts.name = std::string(file);
    } else {
        parts.name = std::string(file.substr(0, dot));
        parts.extension = std::string(file.substr(dot));
    }
    return parts;
}

std::string MakeDosPath(std::string_view drive, std::string_view directory, std::string_view name,
                        std::string_view extension) {
    std::string path;
    if (!drive.empty()) {
        path += drive.substr(0, 1);
        path += ':';
    }
    if (!directory.empty()) {
        path += directory;
        if (!IsSeparator(directory.back())) path += '\\';
    }
    path += name;
    if (!extension.empty()) {
        if (extension.front() != '.') path += '.';
        path += extension;
    }
    return path;
}

std::string DosFileName(std::string_view path) {
    const DosPathParts parts = SplitDosPath(path);
    return MakeDosPath({}, {}, parts.name, parts.extension);
}

std::string DiskPathFromDos(std::string_view path) {
    std::string disk(path);
    for (char& c : disk)
        if (c == '\\') c = '/';
    return disk;
}

int CompareNoCase(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const int d = FoldCase(a[i]) - FoldCase(b[i]);
        if (d != 0) return d;
    }
    // The shorter string's terminating NUL sorts first.
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -static_cast<int>(FoldCase(b[n])) : static_cast<int>(FoldCase(a[n]));
}

std::string FoldedCase(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = static_cast<char>(FoldCase(c));
    return folded;
}

}  // namespace cm
