// A data file of the show, opened by a relative DOS-style name ("data\introScene.lws").
//
// While a pack is mounted the name is looked up in it by file name and extension alone and the
// pack's one current entry is what this file reads: open, ReadAll and Close one file at a time,
// as opening another file switches the current entry. Without a pack the name is opened on disk
// with '\' turned into '/'. Sizes are bytes.
#pragma once

#include "resources/BinaryFile.h"

#include <cstdint>
#include <vector>

namespace cm {

class DataFile {
public:
    static constexpr int kModeOpenExisting = 1;
    static constexpr int kModeOpenAlways = 2;
    static constexpr int kAccessRead = 1;
    static constexpr int kAccessWrite = 2;

    // Pack mounted: selects the entry (mode and access unused). No pack: opens the disk file,
    // mode 1 an existing one, mode 2 creating it when missing (never truncating); access bit 0
    // reads, bit 1 writes. Any other mode, or an access with neither bit, returns false. A file
    // that was already open is closed first.
    bool Open(const char* name, int mode = kModeOpenExisting, int access = kAccessRead);
    // Disk files only: the number of bytes read (0 without a disk file, a null buffer or count < 1).
    int Read(void* buffer, int count);
    // Pack: the current entry's size, or -1 without one. Disk: the file size, or -1 without a file.
    std::int64_t GetSize() const;
    // The whole content, or empty when there is nothing to read (no entry or file, an unreadable
    // entry, an empty file). The buffer is not NUL-terminated.
    std::vector<std::uint8_t> ReadAll();
    // Pack: clears the pack's current entry. Disk: closes the file.
    void Close();

    // Open, ReadAll, Close in one: the content of name, or empty.
    static std::vector<std::uint8_t> Load(const char* name);

private:
    BinaryFile disk;
};

}  // namespace cm
