#include "presence/rich_presence.h"

#include "platform/message_box.h"
#include "presence/discord_rpc.h"

void StartRichPresence() {
    // The launcher publishes no activity and listens to nothing: Discord shows
    // what the connection and the application id give by themselves.
    DiscordEventHandlers handlers{};
    Discord_Initialize(VELMORA_APP_ID, &handlers, 1, nullptr);
    // A missing Discord is not a failure (the worker keeps retrying); only a
    // worker that could not be created is.
    if (!Discord_IsRunning()) {
        ShowError("ERROR!", "Unable to initialize Discord Rich Presence. Make sure Discord is opened or try again.");
        Discord_ClearPresence();
        Discord_Shutdown();
    }
}

void StopRichPresence() { Discord_Shutdown(); }

void ResetRichPresenceForTesting() {
    Discord_Shutdown();
    Discord_FailNextInitializeForTesting(false);
}
