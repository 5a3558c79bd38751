// Picture decoding (DDS read by the launcher, PNG through stb_image) and the
// texture service's deferred release, on small generated fixtures.
#include "platform/texture.h"

#include "support/game_folder.h"

#include <stb_image_write.h>

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

namespace {

void Put32(std::string& s, size_t at, uint32_t v) { std::memcpy(&s[at], &v, 4); }

struct DdsSpec {
    int width = 8, height = 8, mips = 1;
    const char* fourcc = nullptr;  // "DXT1", "DXT5", "DX10" or null for RGB
    uint32_t bits = 32;
    uint32_t rmask = 0x00FF0000, gmask = 0x0000FF00, bmask = 0x000000FF, amask = 0xFF000000;
    uint32_t dxgi = 0;
};

// A DDS header followed by `payload` bytes of pixel data.
std::string MakeDds(const DdsSpec& s, size_t payload) {
    std::string out(128, '\0');
    std::memcpy(&out[0], "DDS ", 4);
    Put32(out, 4, 124);
    Put32(out, 8, 0x1007 | (s.mips > 1 ? 0x20000 : 0));
    Put32(out, 12, s.height);
    Put32(out, 16, s.width);
    Put32(out, 28, s.mips);
    Put32(out, 76, 32);
    if (s.fourcc) {
        Put32(out, 80, 0x4);
        std::memcpy(&out[84], s.fourcc, 4);
        if (std::strcmp(s.fourcc, "DX10") == 0) {
            std::string ext(20, '\0');
            Put32(ext, 0, s.dxgi);
            Put32(ext, 4, 3);
            out += ext;
        }
    } else {
        Put32(out, 80, 0x40 | (s.amask ? 0x1 : 0));
        Put32(out, 88, s.bits);
        Put32(out, 92, s.rmask);
        Put32(out, 96, s.gmask);
        Put32(out, 100, s.bmask);
        Put32(out, 104, s.amask);
    }
    for (size_t i = 0; i < payload; ++i) out.push_back(static_cast<char>(i * 7));
    return out;
}

TEST(DecodeDds, FormatsAndLevels) {
    struct Case {
        const char* what;
        DdsSpec spec;
        size_t payload;
        PixelFormat format;
        size_t levels;
    };
    DdsSpec dxt1;
    dxt1.fourcc = "DXT1";
    DdsSpec dxt5;
    dxt5.fourcc = "DXT5";
    dxt5.mips = 4;
    DdsSpec dxt3;
    dxt3.fourcc = "DXT3";
    DdsSpec rgb24;
    rgb24.bits = 24;
    rgb24.amask = 0;
    DdsSpec bc3;
    bc3.fourcc = "DX10";
    bc3.dxgi = 77;
    DdsSpec bgra10;
    bgra10.fourcc = "DX10";
    bgra10.dxgi = 87;
    const Case cases[] = {
        {"DXT1 8x8: four 8-byte blocks", dxt1, 32, PixelFormat::DXT1, 1},
        {"DXT5 with mips 8,4,2,1", dxt5, 64 + 16 + 16 + 16, PixelFormat::DXT5, 4},
        {"DXT5 with a truncated mip chain keeps the complete levels", dxt5, 64 + 16 + 5, PixelFormat::DXT5, 2},
        {"DXT3", dxt3, 64, PixelFormat::DXT3, 1},
        {"uncompressed 24-bit", rgb24, 8 * 8 * 3, PixelFormat::RGBA8, 1},
        {"DX10 header, BC3", bc3, 64, PixelFormat::DXT5, 1},
        {"DX10 header, B8G8R8A8", bgra10, 8 * 8 * 4, PixelFormat::RGBA8, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto image = DecodeDds(MakeDds(c.spec, c.payload));
        ASSERT_TRUE(image.has_value());
        EXPECT_EQ(image->format, c.format);
        EXPECT_EQ(image->width, 8);
        EXPECT_EQ(image->levels.size(), c.levels);
    }
}

TEST(DecodeDds, UncompressedChannelsFollowTheMasks) {
    DdsSpec spec;
    spec.width = spec.height = 1;
    std::string dds = MakeDds(spec, 0);
    dds += std::string("\x10\x20\x30\x40", 4);  // B G R A in memory for the usual masks
    auto image = DecodeDds(dds);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->levels[0].data, std::string("\x30\x20\x10\x40", 4));

    spec.bits = 24;
    spec.amask = 0;
    dds = MakeDds(spec, 0) + std::string("\x10\x20\x30", 3);
    image = DecodeDds(dds);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->levels[0].data, std::string("\x30\x20\x10\xff", 4));
}

TEST(DecodeDds, MalformedFilesGiveNothing) {
    DdsSpec dxt1;
    dxt1.fourcc = "DXT1";
    std::string good = MakeDds(dxt1, 32);
    std::string wrong_magic = good;
    wrong_magic[0] = 'X';
    std::string huge = good;
    Put32(huge, 12, 1u << 30);
    DdsSpec unknown;
    unknown.fourcc = "ATI2";
    DdsSpec odd_bits;
    odd_bits.bits = 16;
    const std::pair<const char*, std::string> cases[] = {
        {"empty", ""},
        {"truncated header", good.substr(0, 100)},
        {"truncated first level", good.substr(0, 128 + 31)},
        {"wrong magic", wrong_magic},
        {"absurd height", huge},
        {"unknown fourcc", MakeDds(unknown, 64)},
        {"16-bit uncompressed", MakeDds(odd_bits, 128)},
        {"DX10 header cut", MakeDds(DdsSpec{8, 8, 1, "DX10"}, 0).substr(0, 140)},
    };
    for (const auto& [what, bytes] : cases) {
        SCOPED_TRACE(what);
        EXPECT_FALSE(DecodeDds(bytes).has_value());
        EXPECT_EQ(CreateTextureFromMemory(bytes), nullptr);
    }
}

std::string MakePng(int w, int h) {
    std::vector<unsigned char> rgba(size_t(w) * h * 4, 200);
    std::string out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); },
        &out, w, h, 4, rgba.data(), w * 4);
    return out;
}

TEST(Textures, PngAndDdsFilesThroughTheNullBackEnd) {
    SetTextureBackend(MakeNullTextureBackend());
    TempDir dir;
    const std::string png = (dir.path() / "a.png").string();
    std::ofstream(png, std::ios::binary) << MakePng(5, 3);
    DdsSpec dxt1;
    dxt1.fourcc = "DXT1";
    const std::string dds = (dir.path() / "a.dds").string();
    std::ofstream(dds, std::ios::binary) << MakeDds(dxt1, 32);

    auto decoded = DecodeImage(MakePng(5, 3));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->width, 5);
    EXPECT_EQ(decoded->height, 3);
    EXPECT_EQ(decoded->levels[0].data.size(), 5u * 3u * 4u);

    const size_t before = LiveTextureCount();
    ImTextureID a = CreateTextureFromFile(png);
    ImTextureID b = CreateTextureFromFile(dds);
    EXPECT_NE(a, nullptr);
    EXPECT_NE(b, nullptr);
    EXPECT_NE(a, b);
    EXPECT_EQ(CreateTextureFromFile((dir.path() / "missing.png").string()), nullptr);
    EXPECT_EQ(LiveTextureCount(), before + 2);

    // Released textures survive until the frame that drew them is rendered.
    ReleaseTextureAfterFrame(a);
    ReleaseTextureAfterFrame(b);
    EXPECT_EQ(LiveTextureCount(), before + 2);
    TexturesFrameRendered();
    EXPECT_EQ(LiveTextureCount(), before);
}

}  // namespace
