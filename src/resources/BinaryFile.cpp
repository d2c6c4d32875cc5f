#include "resources/BinaryFile.h"

#include <filesystem>
#include <limits>
#include <system_error>

namespace cm {

bool BinaryFile::Open(const std::string& path, const char* mode) {
    Close();
    // Directories open as streams on this system, but their "size" is meaningless.
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return false;
    file = std::fopen(path.c_str(), mode);
    return file != nullptr;
}

void BinaryFile::Close() {
    if (file != nullptr) std::fclose(file);
    file = nullptr;
}

std::int64_t BinaryFile::Size() const {
    if (file == nullptr) return -1;
    const long here = std::ftell(file);
    if (here < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    const long end = std::ftell(file);
    std::fseek(file, here, SEEK_SET);
    return end;
}

bool BinaryFile::ReadAt(std::uint64_t offset, void* dst, std::size_t count) {
    const std::int64_t size = Size();
    if (size < 0 || offset > static_cast<std::uint64_t>(size) || count > static_cast<std::uint64_t>(size) - offset)
        return false;
    if (count == 0) return true;
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<long>::max())) return false;
    if (std::fseek(file, static_cast<long>(offset), SEEK_SET) != 0) return false;
    return std::fread(dst, 1, count, file) == count;
}

std::size_t BinaryFile::Read(void* dst, std::size_t count) {
    if (file == nullptr || dst == nullptr || count == 0) return 0;
    return std::fread(dst, 1, count, file);
}

}  // namespace cm
