#include "resources/PackArchive.h"

#include "resources/ByteCursor.h"
#include "resources/DosPath.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <new>

namespace cm {

namespace {

std::string Describe(int index, std::uint64_t position, const char* what) {
    char text[160];
    std::snprintf(text, sizeof text, "entry %d at offset 0x%llx: %s", index,
                  static_cast<unsigned long long>(position), what);
    return text;
}

std::unique_ptr<PackArchive> gMountedPack;

}  // namespace

bool PackArchive::Open(const std::string& path, std::string* error) {
    Close();
    auto fail = [&](const std::string& why) {
        if (error != nullptr) *error = path + ": " + why;
        Close();
        return false;
    };
    if (!file.Open(path, "rb")) return fail("cannot open");
    const std::int64_t fileSize = file.Size();
    if (fileSize < 4) return fail("too short to hold an entry count");

    std::uint8_t countBytes[4];
    if (!file.ReadAt(static_cast<std::uint64_t>(fileSize) - 4, countBytes, 4)) return fail("cannot read the entry count");
    const auto count = static_cast<std::int32_t>(ByteCursor(countBytes).U32LE().value_or(0));
    // Entries occupy everything before the count; each needs at least its header.
    const std::uint64_t entriesEnd = static_cast<std::uint64_t>(fileSize) - 4;
    if (count < 0) return fail("negative entry count " + std::to_string(count));
    if (static_cast<std::uint64_t>(count) > entriesEnd / PackEntry::kHeaderSize)
        return fail("entry count " + std::to_string(count) + " cannot fit in " + std::to_string(fileSize) + " bytes");

    std::uint64_t position = 0;
    for (int i = 0; i < count; ++i) {
        if (position + PackEntry::kHeaderSize > entriesEnd) {
            damage.push_back(Describe(i, position, "header runs past the end of the entries") + " (" +
                             std::to_string(count - i) + " of " + std::to_string(count) + " entries missing)");
            break;
        }
        std::uint8_t header[PackEntry::kHeaderSize];
        if (!file.ReadAt(position, header, sizeof header)) {
            damage.push_back(Describe(i, position, "header cannot be read"));
            break;
        }
        PackEntry entry;
        const auto* nameEnd = static_cast<const std::uint8_t*>(std::memchr(header, 0, PackEntry::kNameSize));
        ByteCursor fields(header);
        fields.Seek(PackEntry::kNameSize);
        entry.storedLength = fields.U32LE().value_or(0);
        entry.size = fields.U32LE().value_or(0);
        entry.flags = fields.U32LE().value_or(0);
        entry.offset = fields.U32LE().value_or(0);

        const std::uint64_t dataStart = position + PackEntry::kHeaderSize;
        if (entry.storedLength > entriesEnd - dataStart) {
            damage.push_back(Describe(i, position, "stored length runs past the end of the entries; walk stopped"));
            break;
        }
        const std::uint64_t next = dataStart + entry.storedLength;

        if (nameEnd == nullptr) {
            damage.push_back(Describe(i, position, "name is not NUL-terminated within 128 bytes"));
        } else if (entry.IsReadable() && entry.size != entry.storedLength) {
            damage.push_back(Describe(i, position, "size differs from stored length"));
        } else if (entry.IsReadable() && entry.offset != position) {
            damage.push_back(Describe(i, position, "offset field does not point at its own header"));
        } else {
            entry.name.assign(reinterpret_cast<const char*>(header), reinterpret_cast<const char*>(nameEnd));
            try {
                entries.push_back(std::move(entry));
            } catch (const std::bad_alloc&) {
                return fail("out of memory reading the directory");
            }
        }
        position = next;
    }
    return true;
}

void PackArchive::Close() {
    file.Close();
    entries.clear();
    damage.clear();
    current = -1;
}

bool PackArchive::Select(std::string_view name) {
    const std::string wanted = DosFileName(name);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (CompareNoCase(entries[i].name, wanted) == 0) {
            current = static_cast<int>(i);
            return true;
        }
    }
    return false;
}

const PackEntry* PackArchive::GetCurrentEntry() const {
    return current < 0 ? nullptr : &entries[static_cast<std::size_t>(current)];
}

std::vector<std::uint8_t> PackArchive::Read(const PackEntry& entry) {
    std::vector<std::uint8_t> data;
    if (!entry.IsReadable() || entry.size == 0) return data;
    try {
        data.resize(entry.size);
    } catch (const std::bad_alloc&) {
        return {};
    }
    // The directory walk proved the range lies inside the file; ReadAt checks again in case the
    // file shrank since.
    if (!file.ReadAt(std::uint64_t{entry.offset} + PackEntry::kHeaderSize, data.data(), data.size())) return {};
    return data;
}

bool MountPack(const char* name) {
    if (name == nullptr) return false;
    UnmountPack();
    auto pack = std::make_unique<PackArchive>();
    if (!pack->Open(name)) return false;
    gMountedPack = std::move(pack);
    return true;
}

void UnmountPack() { gMountedPack.reset(); }

PackArchive* GetMountedPack() { return gMountedPack.get(); }

}  // namespace cm
