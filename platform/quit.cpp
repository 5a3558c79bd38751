#include "platform/quit.h"

#include <SDL.h>

#include <atomic>

namespace {
std::atomic<bool> posted{false};
}

void PostQuit() {
    posted = true;
    if (SDL_WasInit(SDL_INIT_EVENTS)) {
        SDL_Event e{};
        e.type = SDL_QUIT;
        SDL_PushEvent(&e);
    }
}

bool QuitPosted() { return posted; }
void ResetQuitForTesting() { posted = false; }
