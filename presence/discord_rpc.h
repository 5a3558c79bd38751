#pragma once
// A small client of Discord's local IPC with the entry points of the
// discord-rpc library, which Debian does not package. The launcher calls only
// Discord_Initialize, Discord_ClearPresence and Discord_Shutdown (see
// rich_presence.cpp); the rest keeps the library's shape for other callers.
//
// Threads: all entry points are meant for one thread (the launcher's frame
// thread). Discord_Initialize starts an I/O worker that connects, retries and
// reconnects on its own; Discord_Shutdown stops and joins it.
#include <cstdint>

struct DiscordUser {
    const char* userId;
    const char* username;
    const char* discriminator;
    const char* avatar;
};

// Fields left null (or 0) are not sent.
struct DiscordRichPresence {
    const char* state;    // max 128 bytes
    const char* details;  // max 128 bytes
    int64_t startTimestamp;
    int64_t endTimestamp;
    const char* largeImageKey;   // max 32 bytes
    const char* largeImageText;  // max 128 bytes
    const char* smallImageKey;   // max 32 bytes
    const char* smallImageText;  // max 128 bytes
    const char* partyId;         // max 128 bytes
    int partySize;
    int partyMax;
    const char* matchSecret;     // max 128 bytes
    const char* joinSecret;      // max 128 bytes
    const char* spectateSecret;  // max 128 bytes
    int8_t instance;
};

// Every callback may be null. They run only inside Discord_RunCallbacks, on
// the thread that calls it; the pointers they get are valid for the call.
struct DiscordEventHandlers {
    void (*ready)(const DiscordUser* request);
    void (*disconnected)(int errorCode, const char* message);
    void (*errored)(int errorCode, const char* message);
    void (*joinGame)(const char* joinSecret);
    void (*spectateGame)(const char* spectateSecret);
    void (*joinRequest)(const DiscordUser* request);
};

// Starts the worker and returns at once; no running Discord costs no delay.
// With autoRegister set, registers this executable as the handler of
// discord-<applicationId>:// for the current user (failures are ignored).
// A second call while running is ignored. optionalSteamId is not used on
// Linux.
void Discord_Initialize(const char* applicationId, DiscordEventHandlers* handlers, int autoRegister,
                        const char* optionalSteamId);

// Stops the worker, closes the connection and joins the thread. Returns
// promptly whatever the worker was doing. Harmless when not running.
void Discord_Shutdown();

// Delivers the events the worker has queued since the last call.
void Discord_RunCallbacks();

// Queues the activity (null: none); the latest one is sent once connected
// and again after every reconnect. Ignored when not running.
void Discord_UpdatePresence(const DiscordRichPresence* presence);
void Discord_ClearPresence();

// Our own query, since Discord_Initialize returns nothing: true between a
// Discord_Initialize that could start its worker and Discord_Shutdown.
bool Discord_IsRunning();

// Tests: makes the next Discord_Initialize fail as if the worker object could
// not be allocated (false withdraws a failure not yet used).
void Discord_FailNextInitializeForTesting(bool fail = true);
