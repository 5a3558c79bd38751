#pragma once
// The wire side of the Discord client, with no socket in it: frame encoding,
// the frame reader and the per-connection session (handshake, READY, ping,
// close, dispatched events). The worker in discord_rpc.cpp moves bytes
// between a socket and a Session; tests and the fuzzer drive a Session
// directly.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct DiscordRichPresence;

namespace discord_ipc {

enum class Opcode : uint32_t { Handshake = 0, Frame = 1, Close = 2, Ping = 3, Pong = 4 };

// A frame is an 8-byte header (opcode, payload length; both 32-bit little
// endian) and its payload; Discord's clients use buffers of 64 KiB for the
// whole frame, so longer announcements are treated as a broken stream.
constexpr size_t kHeaderSize = 8;
constexpr size_t kMaxFrameSize = 64 * 1024;
constexpr size_t kMaxPayloadSize = kMaxFrameSize - kHeaderSize;

std::string EncodeFrame(Opcode opcode, std::string_view payload);

struct Frame {
    uint32_t opcode = 0;
    std::string payload;
};

// Collects bytes as they arrive and cuts them into frames. A header that
// announces more than kMaxPayloadSize poisons the reader for good: the
// stream cannot be resynchronised, the connection must close.
class FrameReader {
public:
    enum class Result { Frame, NeedMore, Error };

    void Feed(const char* data, size_t size);
    Result Next(Frame& out);
    size_t buffered() const { return buffer_.size() - consumed_; }

private:
    std::string buffer_;
    size_t consumed_ = 0;
    bool broken_ = false;
};

// An activity owned by value, so it can outlive the caller's pointers and be
// sent again after a reconnect.
struct Activity {
    std::string state, details;
    int64_t start_timestamp = 0, end_timestamp = 0;
    std::string large_image_key, large_image_text, small_image_key, small_image_text;
    std::string party_id;
    int party_size = 0, party_max = 0;
    std::string match_secret, join_secret, spectate_secret;
    bool instance = false;
};
Activity CopyActivity(const DiscordRichPresence& presence);

// {"v":1,"client_id":"<id>"}
std::string HandshakePayload(std::string_view application_id);
// {"cmd":"SET_ACTIVITY","args":{"pid":<pid>[,"activity":{...}]},"nonce":"<nonce>"}
std::string SetActivityPayload(int pid, const std::optional<Activity>& activity, uint64_t nonce);
// {"cmd":"SUBSCRIBE","evt":"<event>","nonce":"<nonce>"}
std::string SubscribePayload(std::string_view event, uint64_t nonce);

// Something for the library's event handlers.
struct Event {
    enum class Kind { Ready, Disconnected, Errored, JoinGame, SpectateGame, JoinRequest };
    Kind kind = Kind::Ready;
    int code = 0;
    std::string message;  // Disconnected/Errored message, or the secret
    std::string user_id, username, discriminator, avatar;
};

// One connection's protocol state. The owner sends HandshakeFrame() first,
// then feeds every received byte to Receive().
class Session {
public:
    explicit Session(std::string application_id) : application_id_(std::move(application_id)) {}

    std::string HandshakeFrame() const;

    // Consumes bytes from Discord. Replies (pongs) are appended to `out`,
    // events to `events`. Returns false when the connection must be closed:
    // a close frame, a malformed frame or an answer to the handshake that is
    // not READY.
    bool Receive(const char* data, size_t size, std::string& out, std::vector<Event>& events);

    // Called by the owner when the connection ends for any reason; gives the
    // Disconnected event once, and only for a connection that was ready.
    void Closed(int code, std::string_view message, std::vector<Event>& events);

    bool ready() const { return ready_; }

private:
    bool HandleFrame(const Frame& frame, std::string& out, std::vector<Event>& events);

    std::string application_id_;
    FrameReader reader_;
    bool ready_ = false;
    bool closed_ = false;
};

}  // namespace discord_ipc
