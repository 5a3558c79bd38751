#include "support/zip_writer.h"

#include <lzma.h>
#include <sys/stat.h>
#include <zstd.h>

#include <fstream>
#include <optional>

namespace {

void Put16(std::string& out, uint32_t v) {
    out += static_cast<char>(v & 0xff);
    out += static_cast<char>((v >> 8) & 0xff);
}
void Put32(std::string& out, uint32_t v) {
    Put16(out, v & 0xffff);
    Put16(out, v >> 16);
}

std::optional<std::string> Compress(uint16_t method, const std::string& data) {
    if (method == kZipStored) return data;
    if (method == kZipZstd) {
        std::string out(ZSTD_compressBound(data.size()), '\0');
        const size_t n = ZSTD_compress(out.data(), out.size(), data.data(), data.size(), 3);
        if (ZSTD_isError(n)) return std::nullopt;
        out.resize(n);
        return out;
    }
    if (method == kZipXz) {
        std::string out(lzma_stream_buffer_bound(data.size()), '\0');
        size_t pos = 0;
        if (lzma_easy_buffer_encode(1, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(data.data()),
                                    data.size(), reinterpret_cast<uint8_t*>(out.data()), &pos, out.size()) != LZMA_OK)
            return std::nullopt;
        out.resize(pos);
        return out;
    }
    return std::nullopt;
}

}  // namespace

uint32_t ZipCrc32(const std::string& data) {
    uint32_t crc = 0xffffffffu;
    for (unsigned char c : data) {
        crc ^= c;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

bool WriteTestZip(const std::string& path, const std::vector<ZipWriterEntry>& entries) {
    std::string body, central;
    for (const ZipWriterEntry& e : entries) {
        const std::optional<std::string> packed = Compress(e.method, e.data);
        if (!packed) return false;
        const uint32_t crc = ZipCrc32(e.data);
        const uint16_t needed = e.method == kZipStored ? 10 : 63;
        const uint16_t flags = e.utf8_name ? 0x0800 : 0;
        uint32_t mode = e.unix_mode;
        if (mode == 0) mode = (!e.name.empty() && e.name.back() == '/') ? (S_IFDIR | 0755) : (S_IFREG | 0644);
        const uint32_t offset = static_cast<uint32_t>(body.size());

        Put32(body, 0x04034b50);
        Put16(body, needed);
        Put16(body, flags);
        Put16(body, e.method);
        Put16(body, 0);       // time
        Put16(body, 0x5a21);  // date: 2025-01-01
        Put32(body, crc);
        Put32(body, static_cast<uint32_t>(packed->size()));
        Put32(body, static_cast<uint32_t>(e.data.size()));
        Put16(body, static_cast<uint32_t>(e.name.size()));
        Put16(body, 0);
        body += e.name;
        body += *packed;

        Put32(central, 0x02014b50);
        Put16(central, (3u << 8) | 63u);  // made by Unix: the mode is in the external attributes
        Put16(central, needed);
        Put16(central, flags);
        Put16(central, e.method);
        Put16(central, 0);
        Put16(central, 0x5a21);
        Put32(central, crc);
        Put32(central, static_cast<uint32_t>(packed->size()));
        Put32(central, static_cast<uint32_t>(e.data.size()));
        Put16(central, static_cast<uint32_t>(e.name.size()));
        Put16(central, 0);  // extra
        Put16(central, 0);  // comment
        Put16(central, 0);  // disk
        Put16(central, 0);  // internal attributes
        Put32(central, mode << 16);
        Put32(central, offset);
        central += e.name;
    }
    std::string end;
    Put32(end, 0x06054b50);
    Put16(end, 0);
    Put16(end, 0);
    Put16(end, static_cast<uint32_t>(entries.size()));
    Put16(end, static_cast<uint32_t>(entries.size()));
    Put32(end, static_cast<uint32_t>(central.size()));
    Put32(end, static_cast<uint32_t>(body.size()));
    Put16(end, 0);

    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << body << central << end;
    out.close();
    return static_cast<bool>(out);
}
