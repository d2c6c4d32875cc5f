// A file on disk read through bounds-checked calls: a read either delivers every byte asked for
// from inside the file or fails, and never moves past the end. Offsets and sizes are bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace cm {

class BinaryFile {
public:
    BinaryFile() = default;
    ~BinaryFile() { Close(); }
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    // mode as for std::fopen ("rb", "r+b", ...). Closes whatever was open first.
    bool Open(const std::string& path, const char* mode);
    void Close();
    bool IsOpen() const { return file != nullptr; }

    // Current size in bytes, or -1 when closed or unknown. Keeps the read position.
    std::int64_t Size() const;
    // Reads exactly count bytes at offset; false (and nothing promised about dst) when the range
    // is not wholly inside the file or the read comes up short.
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t count);
    // Sequential read from the current position; the number of bytes read.
    std::size_t Read(void* dst, std::size_t count);

private:
    std::FILE* file = nullptr;
};

// Stores v at p little-endian, independent of the host's byte order and alignment (files are
// read back through ByteCursor).
inline void StoreU32LE(unsigned char* p, std::uint32_t v) {
    p[0] = static_cast<unsigned char>(v);
    p[1] = static_cast<unsigned char>(v >> 8);
    p[2] = static_cast<unsigned char>(v >> 16);
    p[3] = static_cast<unsigned char>(v >> 24);
}

}  // namespace cm
