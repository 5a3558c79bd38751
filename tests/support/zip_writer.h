#pragma once
// A small zip writer for tests: local headers, entry data stored or packed
// with libzstd (method 93) or liblzma (xz, method 95), central directory.
// Info-ZIP and Python cannot write those methods; the tests need them, and
// hostile names and link entries that ordinary tools refuse to write.
#include <cstdint>
#include <string>
#include <vector>

struct ZipWriterEntry {
    std::string name;
    std::string data;           // uncompressed contents
    uint16_t method = 0;        // 0 stored, 93 zstd, 95 xz
    uint32_t unix_mode = 0;     // file type and permissions; 0: a plain file (or folder for "x/")
    bool utf8_name = false;     // sets the UTF-8 name flag
};

inline constexpr uint16_t kZipStored = 0;
inline constexpr uint16_t kZipZstd = 93;
inline constexpr uint16_t kZipXz = 95;

// Writes the archive; false when the file cannot be written or a method is
// not one of the three.
bool WriteTestZip(const std::string& path, const std::vector<ZipWriterEntry>& entries);

uint32_t ZipCrc32(const std::string& data);
