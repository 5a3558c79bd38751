#include "platform/message_box.h"

#include <SDL.h>

#include <cstdio>
#include <mutex>

namespace {
std::mutex sink_mutex;
MessageSink sink;
}  // namespace

void SetMessageSink(MessageSink new_sink) {
    std::lock_guard lock(sink_mutex);
    sink = std::move(new_sink);
}

void ShowError(const std::string& caption, const std::string& text) {
    MessageSink current;
    {
        std::lock_guard lock(sink_mutex);
        current = sink;
    }
    if (current) {
        current(caption, text);
        return;
    }
    // Only try SDL when a video device is up; otherwise there is no display to
    // show a box on and the message goes to standard error.
    if (SDL_WasInit(SDL_INIT_VIDEO) &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption.c_str(), text.c_str(), nullptr) == 0)
        return;
    std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
    std::fflush(stderr);
}
