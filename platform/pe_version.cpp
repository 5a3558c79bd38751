#include "platform/pe_version.h"

#include "platform/paths.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

namespace {

// Random access to the file's bytes; every read is bounds-checked.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual uint64_t Size() const = 0;
    virtual bool ReadRaw(uint64_t offset, void* out, size_t size) = 0;

    bool Read(uint64_t offset, void* out, size_t size) {
        if (offset > Size() || size > Size() - offset) return false;
        return ReadRaw(offset, out, size);
    }
    bool U16(uint64_t offset, uint16_t& v) {
        unsigned char b[2];
        if (!Read(offset, b, 2)) return false;
        v = static_cast<uint16_t>(b[0] | (b[1] << 8));
        return true;
    }
    bool U32(uint64_t offset, uint32_t& v) {
        unsigned char b[4];
        if (!Read(offset, b, 4)) return false;
        v = static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
            (static_cast<uint32_t>(b[3]) << 24);
        return true;
    }
};

class MemorySource : public ByteSource {
public:
    explicit MemorySource(std::string_view bytes) : bytes_(bytes) {}
    uint64_t Size() const override { return bytes_.size(); }
    bool ReadRaw(uint64_t offset, void* out, size_t size) override {
        std::memcpy(out, bytes_.data() + offset, size);
        return true;
    }

private:
    std::string_view bytes_;
};

class FileSource : public ByteSource {
public:
    explicit FileSource(FILE* f) : f_(f) {
        if (std::fseek(f_, 0, SEEK_END) == 0) {
            const long end = std::ftell(f_);
            if (end > 0) size_ = static_cast<uint64_t>(end);
        }
    }
    ~FileSource() override { std::fclose(f_); }
    uint64_t Size() const override { return size_; }
    bool ReadRaw(uint64_t offset, void* out, size_t size) override {
        if (std::fseek(f_, static_cast<long>(offset), SEEK_SET) != 0) return false;
        return std::fread(out, 1, size, f_) == size;
    }

private:
    FILE* f_;
    uint64_t size_ = 0;
};

constexpr uint32_t kResourceDirectoryIndex = 2;
constexpr uint32_t kRtVersion = 16;
constexpr uint32_t kFixedFileInfoSignature = 0xFEEF04BDu;
constexpr uint16_t kFixedFileInfoSize = 52;
// A real image has at most 96 sections; more is a corrupted header.
constexpr uint16_t kMaxSections = 96;

struct Section {
    uint32_t virtual_address = 0;
    uint32_t virtual_size = 0;
    uint32_t raw_size = 0;
    uint32_t raw_pointer = 0;
};

// File offset of `size` bytes at `rva`, when a section holds all of them in
// its raw data.
std::optional<uint64_t> RvaToOffset(const std::vector<Section>& sections, uint32_t rva, uint32_t size) {
    for (const Section& s : sections) {
        const uint64_t start = s.virtual_address;
        const uint64_t span = s.raw_size;  // only bytes present in the file can be read
        if (rva >= start && rva - start < span && size <= span - (rva - start)) {
            return static_cast<uint64_t>(s.raw_pointer) + (rva - start);
        }
    }
    return std::nullopt;
}

// The first entry of a resource directory whose id matches (any entry when
// want_id is null). Returns its OffsetToData field.
std::optional<uint32_t> FindEntry(ByteSource& src, uint64_t base, uint64_t dir_offset, const uint32_t* want_id) {
    uint16_t named = 0, ids = 0;
    if (!src.U16(base + dir_offset + 12, named) || !src.U16(base + dir_offset + 14, ids)) return std::nullopt;
    const uint32_t count = static_cast<uint32_t>(named) + ids;
    for (uint32_t i = 0; i < count; ++i) {
        const uint64_t entry = base + dir_offset + 16 + static_cast<uint64_t>(i) * 8;
        uint32_t name = 0, data = 0;
        if (!src.U32(entry, name) || !src.U32(entry + 4, data)) return std::nullopt;
        if (!want_id || (!(name & 0x80000000u) && name == *want_id)) return data;
    }
    return std::nullopt;
}

std::optional<ProductVersion> ParseVersionInfo(ByteSource& src, uint64_t block, uint32_t block_size) {
    uint16_t length = 0, value_length = 0;
    if (!src.U16(block, length) || !src.U16(block + 2, value_length)) return std::nullopt;
    if (length > block_size) return std::nullopt;
    // szKey: "VS_VERSION_INFO" in UTF-16, zero-terminated.
    static const char kKey[] = "VS_VERSION_INFO";
    uint64_t pos = block + 6;
    for (size_t i = 0; i < sizeof kKey; ++i, pos += 2) {
        uint16_t ch = 0;
        if (pos + 2 > block + length || !src.U16(pos, ch)) return std::nullopt;
        if (ch != static_cast<unsigned char>(kKey[i])) return std::nullopt;
    }
    // The value starts on the next 32-bit boundary of the block.
    pos = block + ((pos - block + 3) & ~uint64_t{3});
    if (value_length < kFixedFileInfoSize || pos + kFixedFileInfoSize > block + length) return std::nullopt;
    uint32_t signature = 0, ms = 0, ls = 0;
    if (!src.U32(pos, signature) || signature != kFixedFileInfoSignature) return std::nullopt;
    if (!src.U32(pos + 16, ms) || !src.U32(pos + 20, ls)) return std::nullopt;
    return ProductVersion{static_cast<uint16_t>(ms >> 16), static_cast<uint16_t>(ms & 0xFFFF),
                          static_cast<uint16_t>(ls >> 16), static_cast<uint16_t>(ls & 0xFFFF)};
}

std::optional<ProductVersion> ReadFrom(ByteSource& src) {
    uint16_t mz = 0;
    if (!src.U16(0, mz) || mz != 0x5A4D) return std::nullopt;
    uint32_t pe = 0;
    if (!src.U32(0x3C, pe)) return std::nullopt;
    uint32_t signature = 0;
    if (!src.U32(pe, signature) || signature != 0x00004550u) return std::nullopt;
    const uint64_t coff = static_cast<uint64_t>(pe) + 4;
    uint16_t section_count = 0, optional_size = 0;
    if (!src.U16(coff + 2, section_count) || !src.U16(coff + 16, optional_size)) return std::nullopt;
    if (section_count == 0 || section_count > kMaxSections) return std::nullopt;

    const uint64_t optional = coff + 20;
    uint16_t magic = 0;
    if (!src.U16(optional, magic)) return std::nullopt;
    uint64_t count_field = 0;
    if (magic == 0x10B) {
        count_field = 92;
    } else if (magic == 0x20B) {
        count_field = 108;
    } else {
        return std::nullopt;
    }
    uint32_t directory_count = 0;
    if (count_field + 4 > optional_size || !src.U32(optional + count_field, directory_count)) return std::nullopt;
    if (directory_count <= kResourceDirectoryIndex) return std::nullopt;
    const uint64_t resource_entry = optional + count_field + 4 + kResourceDirectoryIndex * 8;
    if (resource_entry + 8 > optional + optional_size) return std::nullopt;
    uint32_t resource_rva = 0, resource_size = 0;
    if (!src.U32(resource_entry, resource_rva) || !src.U32(resource_entry + 4, resource_size)) return std::nullopt;
    if (resource_rva == 0 || resource_size < 16) return std::nullopt;

    std::vector<Section> sections;
    const uint64_t table = optional + optional_size;
    for (uint16_t i = 0; i < section_count; ++i) {
        const uint64_t h = table + static_cast<uint64_t>(i) * 40;
        Section s;
        if (!src.U32(h + 8, s.virtual_size) || !src.U32(h + 12, s.virtual_address) || !src.U32(h + 16, s.raw_size) ||
            !src.U32(h + 20, s.raw_pointer)) {
            return std::nullopt;
        }
        sections.push_back(s);
    }

    // Resource offsets are relative to the directory's start; the linker may
    // record a directory size smaller than the section, so bounds are checked
    // against the file itself.
    const auto base = RvaToOffset(sections, resource_rva, 16);
    if (!base) return std::nullopt;
    const auto type = FindEntry(src, *base, 0, &kRtVersion);
    if (!type || !(*type & 0x80000000u)) return std::nullopt;
    const auto name = FindEntry(src, *base, *type & 0x7FFFFFFFu, nullptr);
    if (!name || !(*name & 0x80000000u)) return std::nullopt;
    const auto language = FindEntry(src, *base, *name & 0x7FFFFFFFu, nullptr);
    if (!language || (*language & 0x80000000u)) return std::nullopt;

    uint32_t data_rva = 0, data_size = 0;
    if (!src.U32(*base + *language, data_rva) || !src.U32(*base + *language + 4, data_size)) return std::nullopt;
    const auto data = RvaToOffset(sections, data_rva, data_size);
    if (!data) return std::nullopt;
    return ParseVersionInfo(src, *data, data_size);
}

}  // namespace

std::optional<ProductVersion> ReadProductVersion(std::string_view file_bytes) {
    MemorySource src(file_bytes);
    return ReadFrom(src);
}

std::optional<ProductVersion> ReadProductVersionFromFile(const std::string& path) {
    FILE* f = std::fopen(ToFsPath(path).c_str(), "rb");
    if (!f) return std::nullopt;
    FileSource src(f);
    return ReadFrom(src);
}
