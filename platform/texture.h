#pragma once
// Pictures as GPU textures, created on the frame thread only.
//
// ImTextureID holds the back end's texture name. A texture that leaves use is
// handed to ReleaseTextureAfterFrame() and destroyed only once the frame that
// drew it has been rendered (TexturesFrameRendered()). Headless runs use the
// null back end, which creates no GPU objects but counts live textures.
#include <imgui.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum class PixelFormat { RGBA8, DXT1, DXT3, DXT5 };

struct ImageLevel {
    int width = 0;
    int height = 0;
    std::string data;  // RGBA8 rows, or the compressed blocks of this level
};

struct DecodedImage {
    PixelFormat format = PixelFormat::RGBA8;
    int width = 0;
    int height = 0;
    std::vector<ImageLevel> levels;  // level 0 first; at least one
};

// DDS (DXT1/DXT3/DXT5 kept compressed, uncompressed 24/32-bit turned into
// RGBA8, the DX10 header for the same formats). Every size and offset is
// checked against the data; a malformed file gives nothing.
std::optional<DecodedImage> DecodeDds(std::string_view bytes);

// DDS by its magic, otherwise PNG/JPEG/BMP/TGA through stb_image.
std::optional<DecodedImage> DecodeImage(std::string_view bytes);

class TextureBackend {
public:
    virtual ~TextureBackend() = default;
    // Returns nullptr when the image cannot be made into a texture.
    virtual ImTextureID Create(const DecodedImage& image) = 0;
    virtual void Destroy(ImTextureID texture) = 0;
};

// Installs the back end used by every texture function below. The default is
// the null back end. The shell installs the OpenGL one once its context exists.
void SetTextureBackend(std::unique_ptr<TextureBackend> backend);
std::unique_ptr<TextureBackend> MakeNullTextureBackend();
std::unique_ptr<TextureBackend> MakeOpenGLTextureBackend();

// nullptr when the data cannot be decoded or uploaded.
ImTextureID CreateTextureFromMemory(std::string_view bytes);
ImTextureID CreateTextureFromFile(const std::string& path);

// Destroys the texture after the current frame has been rendered.
void ReleaseTextureAfterFrame(ImTextureID texture);

// Called once the frame's draw data has been rendered: destroys what was
// released during that frame.
void TexturesFrameRendered();

// Textures created and not yet destroyed (released ones still pending count).
size_t LiveTextureCount();
