#include "platform/display.h"

#include <SDL.h>

#include <atomic>

namespace {
std::atomic<int> override_w{0};
std::atomic<int> override_h{0};
}  // namespace

void SetDisplaySizeForTesting(int width, int height) {
    override_w = width;
    override_h = height;
}

DisplaySize GetPrimaryDisplaySize() {
    if (override_w > 0 && override_h > 0) return {override_w, override_h};
    if (SDL_WasInit(SDL_INIT_VIDEO)) {
        SDL_Rect r;
        if (SDL_GetDisplayBounds(0, &r) == 0) return {r.w, r.h};
    }
    return {1920, 1080};
}
