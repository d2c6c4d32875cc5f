// Pack archive: open from a scratch file, list the directory, read every entry directly and
// through a mounted DataFile, and hold the results to the archive's promises.

#include "Harness.h"
#include "ScratchFile.h"

#include "resources/DataFile.h"
#include "resources/DosPath.h"
#include "resources/PackArchive.h"

#include <cstring>

namespace cm::fuzz {

std::string FuzzPackArchive(Input data) {
    if (data.size() > kMaxInputBytes) return {};
    const std::string path = WriteScratch("pack", data);
    if (path.empty()) return "scratch file not written";

    std::string result;
    {
        PackArchive archive;
        if (!archive.Open(path)) return {};
        const std::vector<PackEntry>& entries = archive.GetEntries();
        // Every kept header takes 144 bytes of the file, so no more than this can be listed.
        if (entries.size() > data.size() / PackEntry::kHeaderSize) return "more entries than the file holds";
        for (const PackEntry& entry : entries) {
            if (entry.name.size() >= PackEntry::kNameSize || entry.name.find('\0') != std::string::npos) {
                return "entry name not cut at its NUL within 128 bytes";
            }
            const std::vector<std::uint8_t> bytes = archive.Read(entry);
            if (!entry.IsReadable()) {
                if (!bytes.empty()) return "an unreadable entry delivered data";
                continue;
            }
            // Entries end before the count in the last 4 bytes.
            if (static_cast<std::uint64_t>(entry.offset) + PackEntry::kHeaderSize + entry.size > data.size() - 4) {
                return "a readable entry reaches into the count or past the end of the file";
            }
            if (bytes.size() != entry.size) return "a readable entry delivered the wrong number of bytes";
            if (entry.size > 0 &&
                std::memcmp(bytes.data(), data.data() + entry.offset + PackEntry::kHeaderSize, entry.size) != 0) {
                return "a readable entry delivered bytes from the wrong place";
            }
            // The look-up must find this entry or an earlier one of the same name. Names holding
            // a directory or drive can never be found: a look-up drops those parts first.
            if (entry.name.empty() || DosFileName(entry.name) != entry.name) continue;
            if (!archive.Select(entry.name) || archive.GetCurrentEntry() == nullptr ||
                CompareNoCase(archive.GetCurrentEntry()->name, entry.name) != 0) {
                return "an entry cannot be found by its own name";
            }
        }
        archive.Close();
    }

    // The same through the program-wide pack: each name reads what its first entry holds.
    if (MountPack(path.c_str())) {
        PackArchive* pack = GetMountedPack();
        const std::vector<PackEntry> entries = pack->GetEntries();
        for (const PackEntry& entry : entries) {
            if (entry.name.empty() || DosFileName(entry.name) != entry.name) continue;
            DataFile file;
            if (!file.Open(entry.name.c_str())) {
                result = "DataFile cannot open a listed entry";
                break;
            }
            const PackEntry* chosen = pack->GetCurrentEntry();
            const std::int64_t size = file.GetSize();
            const std::vector<std::uint8_t> bytes = file.ReadAll();
            file.Close();
            if (chosen == nullptr || size != static_cast<std::int64_t>(chosen->size)) {
                result = "DataFile size differs from the selected entry";
                break;
            }
            if (chosen->IsReadable() ? bytes.size() != chosen->size : !bytes.empty()) {
                result = "DataFile read differs from the selected entry";
                break;
            }
        }
        UnmountPack();
    }
    return result;
}

}  // namespace cm::fuzz
