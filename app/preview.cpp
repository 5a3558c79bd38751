#include "app/preview.h"

#include "platform/paths.h"
#include "platform/texture.h"

#include <sys/stat.h>

#include <cstdint>
#include <unordered_map>

ImTextureID preview_texture = nullptr;

namespace {

// A decoded picture and the file state it was decoded from. A file that could
// not be decoded is remembered too (texture nullptr): the mods screen asks for
// every visible preview on every frame, and a broken picture must not be read
// and decoded sixty times a second.
struct CachedPreview {
    int64_t size = 0;
    int64_t mtime_ns = 0;
    ImTextureID texture = nullptr;
};

struct PreviewCache {
    std::unordered_map<std::string, CachedPreview> entries;  // by file-system path
    // The texture that sat in preview_texture when the cache was dropped: the
    // saves list may go on drawing it, so it is released only once the slot
    // has moved on.
    ImTextureID detached = nullptr;
};

PreviewCache cache;

void ReleaseDetachedIfUnused() {
    if (cache.detached && cache.detached != preview_texture) {
        ReleaseTextureAfterFrame(cache.detached);
        cache.detached = nullptr;
    }
}

// Takes a texture out of the cache. Callers may still draw preview_texture
// in later frames, so the slot's own texture waits until the slot moves on.
void Retire(ImTextureID texture) {
    if (!texture) return;
    ReleaseDetachedIfUnused();
    if (texture == preview_texture && !cache.detached)
        cache.detached = texture;
    else
        ReleaseTextureAfterFrame(texture);
}

// The texture of the file at `path` (nullptr when it is missing or cannot be
// decoded), decoding it only when the file is new or has changed.
ImTextureID TextureForFile(const std::string& path) {
    const std::string fs_path = ToFsPath(path);
    struct stat st {};
    if (::stat(fs_path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        auto gone = cache.entries.find(fs_path);
        if (gone != cache.entries.end()) {
            Retire(gone->second.texture);
            cache.entries.erase(gone);
        }
        return nullptr;
    }
    const int64_t size = static_cast<int64_t>(st.st_size);
    const int64_t mtime_ns = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;

    auto it = cache.entries.find(fs_path);
    if (it != cache.entries.end() && it->second.size == size && it->second.mtime_ns == mtime_ns)
        return it->second.texture;

    ImTextureID texture = CreateTextureFromFile(fs_path);
    if (it != cache.entries.end()) {
        // The file changed: its old texture may still be drawn in this frame.
        Retire(it->second.texture);
        it->second = CachedPreview{size, mtime_ns, texture};
    } else {
        cache.entries.emplace(fs_path, CachedPreview{size, mtime_ns, texture});
    }
    return texture;
}

}  // namespace

void LoadPreviewTexture(std::string path) {
    ReleaseDetachedIfUnused();
    // The dot search runs over the whole path, folder names included.
    const size_t dot = path.rfind('.');
    const std::string stem = dot == std::string::npos ? path : path.substr(0, dot);
    ImTextureID texture = TextureForFile(stem + ".png");
    if (!texture) texture = TextureForFile(path);
    if (texture) preview_texture = texture;
    ReleaseDetachedIfUnused();  // the slot may just have moved off a retired texture
}

void DropPreviewCache() {
    ReleaseDetachedIfUnused();
    for (auto& [path, entry] : cache.entries) Retire(entry.texture);
    cache.entries.clear();
}
