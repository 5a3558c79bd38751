#pragma once
// Modal error messages. The shell shows them with SDL; tests replace the sink
// and read what would have been shown.
#include <functional>
#include <string>

using MessageSink = std::function<void(const std::string& caption, const std::string& text)>;

// Shows an error box with the system's own caption and text (both UTF-8 or
// plain ASCII). Blocks until the player closes it. Without a display the
// message becomes one line on standard error.
void ShowError(const std::string& caption, const std::string& text);

// Replaces where messages go; an empty sink restores the SDL message box.
void SetMessageSink(MessageSink sink);
