// OpenGL 3 texture back end. Only the shell installs it, after its context
// exists; every call happens on the frame thread.
#include "platform/texture.h"

#include <SDL.h>
#include <SDL_opengl.h>

namespace {

#ifndef GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
#define GL_COMPRESSED_RGBA_S3TC_DXT1_EXT 0x83F1
#define GL_COMPRESSED_RGBA_S3TC_DXT3_EXT 0x83F2
#define GL_COMPRESSED_RGBA_S3TC_DXT5_EXT 0x83F3
#endif

using CompressedTexImage2D = void(APIENTRY*)(GLenum, GLint, GLenum, GLsizei, GLsizei, GLint, GLsizei, const void*);

class OpenGLTextureBackend final : public TextureBackend {
public:
    OpenGLTextureBackend() {
        compressed_ = reinterpret_cast<CompressedTexImage2D>(SDL_GL_GetProcAddress("glCompressedTexImage2D"));
    }

    ImTextureID Create(const DecodedImage& image) override {
        GLuint tex = 0;
        while (glGetError() != GL_NO_ERROR) {
        }
        glGenTextures(1, &tex);
        if (tex == 0) return nullptr;
        glBindTexture(GL_TEXTURE_2D, tex);
        const GLint levels = static_cast<GLint>(image.levels.size());
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, levels > 1 ? GL_LINEAR_MIPMAP_LINEAR : GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, levels - 1);
        glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        for (GLint i = 0; i < levels; ++i) {
            const ImageLevel& level = image.levels[size_t(i)];
            if (image.format == PixelFormat::RGBA8) {
                glTexImage2D(GL_TEXTURE_2D, i, GL_RGBA, level.width, level.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                             level.data.data());
            } else {
                if (!compressed_) break;
                GLenum fmt = image.format == PixelFormat::DXT1   ? GL_COMPRESSED_RGBA_S3TC_DXT1_EXT
                             : image.format == PixelFormat::DXT3 ? GL_COMPRESSED_RGBA_S3TC_DXT3_EXT
                                                                 : GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
                compressed_(GL_TEXTURE_2D, i, fmt, level.width, level.height, 0,
                            static_cast<GLsizei>(level.data.size()), level.data.data());
            }
        }
        if (glGetError() != GL_NO_ERROR || (image.format != PixelFormat::RGBA8 && !compressed_)) {
            glDeleteTextures(1, &tex);
            return nullptr;
        }
        return reinterpret_cast<ImTextureID>(static_cast<uintptr_t>(tex));
    }

    void Destroy(ImTextureID texture) override {
        GLuint tex = static_cast<GLuint>(reinterpret_cast<uintptr_t>(texture));
        glDeleteTextures(1, &tex);
    }

private:
    CompressedTexImage2D compressed_ = nullptr;
};

}  // namespace

std::unique_ptr<TextureBackend> MakeOpenGLTextureBackend() { return std::make_unique<OpenGLTextureBackend>(); }
