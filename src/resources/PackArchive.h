// The pack archive: many data files in one, looked up by file name and extension.
//
// Layout (all integers 32-bit little-endian): entries one after the other from offset 0, each a
// 144-byte header followed by its data, and the entry count (signed) in the last 4 bytes.
//
//   header offset  size  field
//   0              128   name, NUL-terminated, file name and extension without directory
//   128            4     stored length: data bytes after the header (the walk skips these)
//   132            4     size: bytes a read delivers
//   136            4     flags: bit 0 = the entry cannot be read
//   140            4     offset: file position of this header; data starts at offset + 144
//
// Damage is handled entry by entry. An entry count that is negative or could not fit in the
// file refuses the whole archive. Otherwise the directory walk keeps every entry that fits: a
// readable entry needs a NUL-terminated name, size equal to its stored length and an offset equal
// to its true position; a header or stored length running past the entries' end ends the walk.
// Refused entries are left out of the directory and described in GetDamage().
#pragma once

#include "resources/BinaryFile.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace cm {

struct PackEntry {
    static constexpr std::size_t kHeaderSize = 144;
    static constexpr std::size_t kNameSize = 128;
    static constexpr std::uint32_t kFlagUnreadable = 1;

    std::string name;  // as stored, up to its NUL
    std::uint32_t storedLength = 0;
    std::uint32_t size = 0;
    std::uint32_t flags = 0;
    std::uint32_t offset = 0;

    bool IsReadable() const { return (flags & kFlagUnreadable) == 0; }
};

class PackArchive {
public:
    // Opens the file and reads its directory. False, with the reason in *error when given, when
    // the file cannot be opened or its entry count is impossible; damaged entries alone do not
    // fail the open (see GetDamage). The file stays open until Close or destruction.
    bool Open(const std::string& path, std::string* error = nullptr);
    void Close();

    const std::vector<PackEntry>& GetEntries() const { return entries; }
    // One line per refused entry ("entry 3 at offset 0x1a0: ..."); empty for a sound archive.
    const std::vector<std::string>& GetDamage() const { return damage; }

    // Makes the first entry whose name equals the file name and extension of name (directory
    // dropped, case ignored) current. On no match returns false and keeps the current entry.
    bool Select(std::string_view name);
    const PackEntry* GetCurrentEntry() const;
    void ClearCurrentEntry() { current = -1; }

    // The entry's data, or empty for an unreadable entry or a failed read.
    std::vector<std::uint8_t> Read(const PackEntry& entry);

private:
    BinaryFile file;
    std::vector<PackEntry> entries;
    std::vector<std::string> damage;
    int current = -1;
};

// The program-wide archive every DataFile consults. MountPack replaces any mounted archive;
// false (and nothing mounted) when the archive cannot be opened.
bool MountPack(const char* name);
void UnmountPack();
PackArchive* GetMountedPack();

}  // namespace cm
