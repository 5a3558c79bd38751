#include "platform/texture.h"

#include <stb_image.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>

// Index of this file
// [SECTION] DDS decoding
// [SECTION] Other picture formats
// [SECTION] Null back end
// [SECTION] Texture service

// -----------------------------------------------------------------------------
// [SECTION] DDS decoding
// -----------------------------------------------------------------------------
namespace {

constexpr uint32_t kDdsdMipmapCount = 0x20000;
constexpr uint32_t kDdpfAlphaPixels = 0x1;
constexpr uint32_t kDdpfFourCC = 0x4;
constexpr uint32_t kDdpfRgb = 0x40;
constexpr int kMaxDimension = 16384;

constexpr uint32_t FourCC(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 | uint32_t(uint8_t(d)) << 24;
}

uint32_t ReadU32(std::string_view bytes, size_t offset) {
    uint32_t v = 0;
    std::memcpy(&v, bytes.data() + offset, 4);  // DDS is little-endian, as is x86
    return v;
}

struct ChannelMask {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;
};

ChannelMask MakeMask(uint32_t mask) {
    ChannelMask m{mask, 0, 0};
    if (mask == 0) return m;
    while (((mask >> m.shift) & 1u) == 0) ++m.shift;
    while (m.shift + m.bits < 32 && ((mask >> (m.shift + m.bits)) & 1u)) ++m.bits;
    return m;
}

uint8_t Extract(uint32_t pixel, const ChannelMask& m, uint8_t fallback) {
    if (m.mask == 0 || m.bits == 0) return fallback;
    uint32_t v = (pixel & m.mask) >> m.shift;
    uint32_t max = m.bits >= 32 ? 0xFFFFFFFFu : ((1u << m.bits) - 1u);
    return static_cast<uint8_t>((uint64_t(v) * 255u + max / 2) / max);
}

struct UncompressedLayout {
    int bytes_per_pixel = 0;
    ChannelMask r, g, b, a;
};

}  // namespace

std::optional<DecodedImage> DecodeDds(std::string_view bytes) {
    constexpr size_t kHeaderEnd = 4 + 124;
    if (bytes.size() < kHeaderEnd || bytes.substr(0, 4) != "DDS ") return std::nullopt;
    if (ReadU32(bytes, 4) != 124) return std::nullopt;
    const uint32_t flags = ReadU32(bytes, 8);
    const uint32_t height = ReadU32(bytes, 12);
    const uint32_t width = ReadU32(bytes, 16);
    const uint32_t mip_count = ReadU32(bytes, 28);
    const uint32_t pf_flags = ReadU32(bytes, 80);
    const uint32_t fourcc = ReadU32(bytes, 84);
    const uint32_t bit_count = ReadU32(bytes, 88);
    if (width == 0 || height == 0 || width > kMaxDimension || height > kMaxDimension) return std::nullopt;

    DecodedImage image;
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    size_t offset = kHeaderEnd;
    UncompressedLayout raw;

    if (pf_flags & kDdpfFourCC) {
        switch (fourcc) {
            case FourCC('D', 'X', 'T', '1'): image.format = PixelFormat::DXT1; break;
            case FourCC('D', 'X', 'T', '3'): image.format = PixelFormat::DXT3; break;
            case FourCC('D', 'X', 'T', '5'): image.format = PixelFormat::DXT5; break;
            case FourCC('D', 'X', '1', '0'): {
                if (bytes.size() < kHeaderEnd + 20) return std::nullopt;
                const uint32_t dxgi = ReadU32(bytes, kHeaderEnd);
                offset += 20;
                switch (dxgi) {
                    case 71: case 72: image.format = PixelFormat::DXT1; break;  // BC1
                    case 74: case 75: image.format = PixelFormat::DXT3; break;  // BC2
                    case 77: case 78: image.format = PixelFormat::DXT5; break;  // BC3
                    case 28: case 29:  // R8G8B8A8
                        image.format = PixelFormat::RGBA8;
                        raw = {4, MakeMask(0xFFu), MakeMask(0xFF00u), MakeMask(0xFF0000u), MakeMask(0xFF000000u)};
                        break;
                    case 87: case 91:  // B8G8R8A8
                        image.format = PixelFormat::RGBA8;
                        raw = {4, MakeMask(0xFF0000u), MakeMask(0xFF00u), MakeMask(0xFFu), MakeMask(0xFF000000u)};
                        break;
                    case 88: case 93:  // B8G8R8X8
                        image.format = PixelFormat::RGBA8;
                        raw = {4, MakeMask(0xFF0000u), MakeMask(0xFF00u), MakeMask(0xFFu), MakeMask(0)};
                        break;
                    default: return std::nullopt;
                }
                break;
            }
            default: return std::nullopt;
        }
    } else if (pf_flags & kDdpfRgb) {
        if (bit_count != 24 && bit_count != 32) return std::nullopt;
        image.format = PixelFormat::RGBA8;
        raw.bytes_per_pixel = static_cast<int>(bit_count / 8);
        raw.r = MakeMask(ReadU32(bytes, 92));
        raw.g = MakeMask(ReadU32(bytes, 96));
        raw.b = MakeMask(ReadU32(bytes, 100));
        raw.a = MakeMask((pf_flags & kDdpfAlphaPixels) ? ReadU32(bytes, 104) : 0);
    } else {
        return std::nullopt;
    }

    uint32_t levels = (flags & kDdsdMipmapCount) && mip_count > 0 ? mip_count : 1;
    if (levels > 15) levels = 15;
    uint64_t w = width, h = height;
    for (uint32_t level = 0; level < levels; ++level) {
        uint64_t size;
        if (image.format == PixelFormat::RGBA8) {
            size = w * h * uint64_t(raw.bytes_per_pixel);
        } else {
            const uint64_t block = image.format == PixelFormat::DXT1 ? 8 : 16;
            size = std::max<uint64_t>(1, (w + 3) / 4) * std::max<uint64_t>(1, (h + 3) / 4) * block;
        }
        if (offset > bytes.size() || size > bytes.size() - offset) break;  // keep the complete levels only
        ImageLevel out;
        out.width = static_cast<int>(w);
        out.height = static_cast<int>(h);
        if (image.format == PixelFormat::RGBA8) {
            out.data.resize(w * h * 4);
            const unsigned char* src = reinterpret_cast<const unsigned char*>(bytes.data() + offset);
            for (uint64_t i = 0; i < w * h; ++i) {
                uint32_t px = 0;
                std::memcpy(&px, src + i * raw.bytes_per_pixel, raw.bytes_per_pixel);
                out.data[i * 4 + 0] = static_cast<char>(Extract(px, raw.r, 0));
                out.data[i * 4 + 1] = static_cast<char>(Extract(px, raw.g, 0));
                out.data[i * 4 + 2] = static_cast<char>(Extract(px, raw.b, 0));
                out.data[i * 4 + 3] = static_cast<char>(Extract(px, raw.a, 255));
            }
        } else {
            out.data.assign(bytes.data() + offset, size);
        }
        image.levels.push_back(std::move(out));
        offset += size;
        w = std::max<uint64_t>(1, w / 2);
        h = std::max<uint64_t>(1, h / 2);
    }
    if (image.levels.empty()) return std::nullopt;
    return image;
}

// -----------------------------------------------------------------------------
// [SECTION] Other picture formats
// -----------------------------------------------------------------------------
std::optional<DecodedImage> DecodeImage(std::string_view bytes) {
    if (bytes.size() >= 4 && bytes.substr(0, 4) == "DDS ") return DecodeDds(bytes);
    if (bytes.empty() || bytes.size() > size_t(INT32_MAX)) return std::nullopt;
    int w = 0, h = 0, channels = 0;
    stbi_uc* pixels = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()),
                                            static_cast<int>(bytes.size()), &w, &h, &channels, 4);
    if (!pixels) return std::nullopt;
    DecodedImage image;
    image.width = w;
    image.height = h;
    image.levels.push_back({w, h, std::string(reinterpret_cast<char*>(pixels), size_t(w) * size_t(h) * 4)});
    stbi_image_free(pixels);
    if (w <= 0 || h <= 0 || w > kMaxDimension || h > kMaxDimension) return std::nullopt;
    return image;
}

// -----------------------------------------------------------------------------
// [SECTION] Null back end
// -----------------------------------------------------------------------------
namespace {
class NullTextureBackend final : public TextureBackend {
public:
    ImTextureID Create(const DecodedImage&) override {
        return reinterpret_cast<ImTextureID>(static_cast<uintptr_t>(++next_));
    }
    void Destroy(ImTextureID) override {}

private:
    uintptr_t next_ = 0;
};
}  // namespace

std::unique_ptr<TextureBackend> MakeNullTextureBackend() { return std::make_unique<NullTextureBackend>(); }

// -----------------------------------------------------------------------------
// [SECTION] Texture service
// -----------------------------------------------------------------------------
namespace {
struct TextureService {
    std::unique_ptr<TextureBackend> backend = MakeNullTextureBackend();
    std::vector<ImTextureID> released;  // destroyed after the frame is rendered
    size_t live = 0;
};

TextureService& Service() {
    static TextureService service;
    return service;
}
}  // namespace

void SetTextureBackend(std::unique_ptr<TextureBackend> backend) {
    TexturesFrameRendered();
    Service().backend = backend ? std::move(backend) : MakeNullTextureBackend();
}

ImTextureID CreateTextureFromMemory(std::string_view bytes) {
    std::optional<DecodedImage> image = DecodeImage(bytes);
    if (!image) return nullptr;
    ImTextureID id = Service().backend->Create(*image);
    if (id) ++Service().live;
    return id;
}

ImTextureID CreateTextureFromFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return nullptr;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return CreateTextureFromMemory(bytes);
}

void ReleaseTextureAfterFrame(ImTextureID texture) {
    if (texture) Service().released.push_back(texture);
}

void TexturesFrameRendered() {
    TextureService& s = Service();
    for (ImTextureID t : s.released) {
        s.backend->Destroy(t);
        --s.live;
    }
    s.released.clear();
}

size_t LiveTextureCount() { return Service().live; }
