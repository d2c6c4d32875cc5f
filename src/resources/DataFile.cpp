#include "resources/DataFile.h"

#include "resources/DosPath.h"
#include "resources/PackArchive.h"

#include <cerrno>
#include <limits>
#include <new>

namespace cm {

namespace {
// A disk file is read whole into memory; past this it is refused rather than allocated, which
// also keeps byte counts within the 32-bit sizes the readers use.
constexpr std::int64_t kMaxDiskFileSize = std::numeric_limits<std::int32_t>::max();
}  // namespace

bool DataFile::Open(const char* name, int mode, int access) {
    disk.Close();
    if (name == nullptr) return false;
    if (PackArchive* pack = GetMountedPack()) return pack->Select(name);

    const bool read = (access & kAccessRead) != 0;
    const bool write = (access & kAccessWrite) != 0;
    if ((mode != kModeOpenExisting && mode != kModeOpenAlways) || (!read && !write)) return false;
    const std::string path = DiskPathFromDos(name);
    // "r+b" opens without truncating; mode 2 creates a missing file first with "ab", which never
    // truncates an existing one either.
    if (mode == kModeOpenAlways) {
        if (std::FILE* created = std::fopen(path.c_str(), "ab")) std::fclose(created);
    }
    return disk.Open(path, write ? "r+b" : "rb");
}

int DataFile::Read(void* buffer, int count) {
    if (!disk.IsOpen() || buffer == nullptr || count < 1) return 0;
    return static_cast<int>(disk.Read(buffer, static_cast<std::size_t>(count)));
}

std::int64_t DataFile::GetSize() const {
    if (const PackArchive* pack = GetMountedPack()) {
        const PackEntry* entry = pack->GetCurrentEntry();
        return entry != nullptr ? std::int64_t{entry->size} : -1;
    }
    return disk.IsOpen() ? disk.Size() : -1;
}

std::vector<std::uint8_t> DataFile::ReadAll() {
    if (PackArchive* pack = GetMountedPack()) {
        const PackEntry* entry = pack->GetCurrentEntry();
        return entry != nullptr ? pack->Read(*entry) : std::vector<std::uint8_t>{};
    }
    const std::int64_t size = GetSize();
    if (!disk.IsOpen() || size < 1 || size > kMaxDiskFileSize) return {};
    std::vector<std::uint8_t> data;
    try {
        data.resize(static_cast<std::size_t>(size));
    } catch (const std::bad_alloc&) {
        return {};
    }
    data.resize(static_cast<std::size_t>(Read(data.data(), static_cast<int>(data.size()))));
    return data;
}

void DataFile::Close() {
    if (PackArchive* pack = GetMountedPack()) pack->ClearCurrentEntry();
    disk.Close();
}

std::vector<std::uint8_t> DataFile::Load(const char* name) {
    DataFile file;
    if (!file.Open(name)) return {};
    std::vector<std::uint8_t> data = file.ReadAll();
    file.Close();
    return data;
}

}  // namespace cm
