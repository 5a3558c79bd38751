#include "presence/discord_ipc.h"

#include "presence/discord_rpc.h"

#include <rapidjson/document.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

// Index of this file
// [SECTION] Frames
// [SECTION] Outgoing payloads
// [SECTION] Session

namespace discord_ipc {

// -----------------------------------------------------------------------------
// [SECTION] Frames
// -----------------------------------------------------------------------------
namespace {

void PutLe32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t GetLe32(const char* p) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(p[i]);
    return v;
}

}  // namespace

std::string EncodeFrame(Opcode opcode, std::string_view payload) {
    std::string out;
    out.reserve(kHeaderSize + payload.size());
    PutLe32(out, static_cast<uint32_t>(opcode));
    PutLe32(out, static_cast<uint32_t>(payload.size()));
    out.append(payload);
    return out;
}

void FrameReader::Feed(const char* data, size_t size) {
    if (broken_ || size == 0) return;
    // Drop what has been handed out before growing, so a long-lived
    // connection does not keep every byte it ever received.
    if (consumed_ > 0 && consumed_ >= buffer_.size() / 2) {
        buffer_.erase(0, consumed_);
        consumed_ = 0;
    }
    buffer_.append(data, size);
}

FrameReader::Result FrameReader::Next(Frame& out) {
    if (broken_) return Result::Error;
    const size_t available = buffer_.size() - consumed_;
    if (available < kHeaderSize) return Result::NeedMore;
    const char* head = buffer_.data() + consumed_;
    const uint32_t length = GetLe32(head + 4);
    if (length > kMaxPayloadSize) {
        broken_ = true;
        buffer_.clear();
        consumed_ = 0;
        return Result::Error;
    }
    if (available < kHeaderSize + length) return Result::NeedMore;
    out.opcode = GetLe32(head);
    out.payload.assign(head + kHeaderSize, length);
    consumed_ += kHeaderSize + length;
    if (consumed_ == buffer_.size()) {
        buffer_.clear();
        consumed_ = 0;
    }
    return Result::Frame;
}

// -----------------------------------------------------------------------------
// [SECTION] Outgoing payloads
// -----------------------------------------------------------------------------
namespace {

using JsonWriter = rapidjson::Writer<rapidjson::StringBuffer>;

// Length of the longest prefix of `s` that is valid UTF-8 and at most `max`
// bytes, or npos when `s` holds an invalid sequence. Discord refuses the
// whole activity for one over-long or malformed field, so fields are cut at a
// character boundary and malformed ones are dropped.
size_t Utf8PrefixWithin(std::string_view s, size_t max) {
    size_t i = 0, fitting = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        size_t n = 0;
        uint32_t cp = 0;
        if (c < 0x80) { n = 1; cp = c; }
        else if ((c & 0xE0) == 0xC0) { n = 2; cp = c & 0x1F; }
        else if ((c & 0xF0) == 0xE0) { n = 3; cp = c & 0x0F; }
        else if ((c & 0xF8) == 0xF0) { n = 4; cp = c & 0x07; }
        else return std::string_view::npos;
        if (i + n > s.size()) return std::string_view::npos;
        for (size_t k = 1; k < n; ++k) {
            const unsigned char cc = static_cast<unsigned char>(s[i + k]);
            if ((cc & 0xC0) != 0x80) return std::string_view::npos;
            cp = (cp << 6) | (cc & 0x3F);
        }
        const bool overlong = (n == 2 && cp < 0x80) || (n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000);
        if (overlong || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::string_view::npos;
        i += n;
        if (i <= max) fitting = i;
    }
    return fitting;
}

std::string Field(const char* text, size_t max) {
    if (!text) return std::string();
    const std::string_view s(text);
    const size_t keep = Utf8PrefixWithin(s, max);
    if (keep == std::string_view::npos) return std::string();
    return std::string(s.substr(0, keep));
}

void Key(JsonWriter& w, const char* key) { w.Key(key); }

void StringMember(JsonWriter& w, const char* key, const std::string& value) {
    if (value.empty()) return;
    w.Key(key);
    w.String(value.data(), static_cast<rapidjson::SizeType>(value.size()));
}

void WriteActivity(JsonWriter& w, const Activity& a) {
    w.StartObject();
    StringMember(w, "state", a.state);
    StringMember(w, "details", a.details);
    if (a.start_timestamp || a.end_timestamp) {
        Key(w, "timestamps");
        w.StartObject();
        if (a.start_timestamp) {
            Key(w, "start");
            w.Int64(a.start_timestamp);
        }
        if (a.end_timestamp) {
            Key(w, "end");
            w.Int64(a.end_timestamp);
        }
        w.EndObject();
    }
    if (!a.large_image_key.empty() || !a.large_image_text.empty() || !a.small_image_key.empty() ||
        !a.small_image_text.empty()) {
        Key(w, "assets");
        w.StartObject();
        StringMember(w, "large_image", a.large_image_key);
        StringMember(w, "large_text", a.large_image_text);
        StringMember(w, "small_image", a.small_image_key);
        StringMember(w, "small_text", a.small_image_text);
        w.EndObject();
    }
    if (!a.party_id.empty() || a.party_size || a.party_max) {
        Key(w, "party");
        w.StartObject();
        StringMember(w, "id", a.party_id);
        if (a.party_size && a.party_max) {
            Key(w, "size");
            w.StartArray();
            w.Int(a.party_size);
            w.Int(a.party_max);
            w.EndArray();
        }
        w.EndObject();
    }
    if (!a.match_secret.empty() || !a.join_secret.empty() || !a.spectate_secret.empty()) {
        Key(w, "secrets");
        w.StartObject();
        StringMember(w, "match", a.match_secret);
        StringMember(w, "join", a.join_secret);
        StringMember(w, "spectate", a.spectate_secret);
        w.EndObject();
    }
    Key(w, "instance");
    w.Bool(a.instance);
    w.EndObject();
}

void Nonce(JsonWriter& w, uint64_t nonce) {
    const std::string text = std::to_string(nonce);
    Key(w, "nonce");
    w.String(text.data(), static_cast<rapidjson::SizeType>(text.size()));
}

}  // namespace

Activity CopyActivity(const DiscordRichPresence& p) {
    Activity a;
    a.state = Field(p.state, 128);
    a.details = Field(p.details, 128);
    a.start_timestamp = p.startTimestamp;
    a.end_timestamp = p.endTimestamp;
    a.large_image_key = Field(p.largeImageKey, 32);
    a.large_image_text = Field(p.largeImageText, 128);
    a.small_image_key = Field(p.smallImageKey, 32);
    a.small_image_text = Field(p.smallImageText, 128);
    a.party_id = Field(p.partyId, 128);
    a.party_size = p.partySize;
    a.party_max = p.partyMax;
    a.match_secret = Field(p.matchSecret, 128);
    a.join_secret = Field(p.joinSecret, 128);
    a.spectate_secret = Field(p.spectateSecret, 128);
    a.instance = p.instance != 0;
    return a;
}

std::string HandshakePayload(std::string_view application_id) {
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    Key(w, "v");
    w.Int(1);
    Key(w, "client_id");
    w.String(application_id.data(), static_cast<rapidjson::SizeType>(application_id.size()));
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string SetActivityPayload(int pid, const std::optional<Activity>& activity, uint64_t nonce) {
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    Key(w, "cmd");
    w.String("SET_ACTIVITY");
    Key(w, "args");
    w.StartObject();
    Key(w, "pid");
    w.Int(pid);
    if (activity) {
        Key(w, "activity");
        WriteActivity(w, *activity);
    }
    w.EndObject();
    Nonce(w, nonce);
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

std::string SubscribePayload(std::string_view event, uint64_t nonce) {
    rapidjson::StringBuffer buffer;
    JsonWriter w(buffer);
    w.StartObject();
    Key(w, "cmd");
    w.String("SUBSCRIBE");
    Key(w, "evt");
    w.String(event.data(), static_cast<rapidjson::SizeType>(event.size()));
    Nonce(w, nonce);
    w.EndObject();
    return std::string(buffer.GetString(), buffer.GetSize());
}

// -----------------------------------------------------------------------------
// [SECTION] Session
// -----------------------------------------------------------------------------
namespace {

// Error codes of the library's disconnected/errored callbacks for faults
// seen on our side of the pipe.
constexpr int kPipeClosed = 1;
constexpr int kReadCorrupt = 2;

const rapidjson::Value* Member(const rapidjson::Value& object, const char* key) {
    if (!object.IsObject()) return nullptr;
    const auto it = object.FindMember(key);
    return it == object.MemberEnd() ? nullptr : &it->value;
}

std::string StringOf(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* v = Member(object, key);
    return v && v->IsString() ? std::string(v->GetString(), v->GetStringLength()) : std::string();
}

int IntOf(const rapidjson::Value& object, const char* key) {
    const rapidjson::Value* v = Member(object, key);
    return v && v->IsInt() ? v->GetInt() : 0;
}

Event UserEvent(Event::Kind kind, const rapidjson::Value* user) {
    Event e;
    e.kind = kind;
    if (user && user->IsObject()) {
        e.user_id = StringOf(*user, "id");
        e.username = StringOf(*user, "username");
        e.discriminator = StringOf(*user, "discriminator");
        e.avatar = StringOf(*user, "avatar");
    }
    return e;
}

Event CodeEvent(Event::Kind kind, int code, std::string message) {
    Event e;
    e.kind = kind;
    e.code = code;
    e.message = std::move(message);
    return e;
}

}  // namespace

std::string Session::HandshakeFrame() const {
    return EncodeFrame(Opcode::Handshake, HandshakePayload(application_id_));
}

bool Session::Receive(const char* data, size_t size, std::string& out, std::vector<Event>& events) {
    if (closed_) return false;
    reader_.Feed(data, size);
    Frame frame;
    while (true) {
        switch (reader_.Next(frame)) {
            case FrameReader::Result::NeedMore:
                return true;
            case FrameReader::Result::Error:
                Closed(kReadCorrupt, "Frame too long", events);
                return false;
            case FrameReader::Result::Frame:
                if (!HandleFrame(frame, out, events)) return false;
                break;
        }
    }
}

void Session::Closed(int code, std::string_view message, std::vector<Event>& events) {
    if (closed_) return;
    closed_ = true;
    if (ready_) events.push_back(CodeEvent(Event::Kind::Disconnected, code, std::string(message)));
}

bool Session::HandleFrame(const Frame& frame, std::string& out, std::vector<Event>& events) {
    switch (static_cast<Opcode>(frame.opcode)) {
        case Opcode::Ping:
            out += EncodeFrame(Opcode::Pong, frame.payload);
            return true;
        case Opcode::Pong:
            return true;
        case Opcode::Close: {
            rapidjson::Document doc;
            doc.Parse(frame.payload.data(), frame.payload.size());
            const bool parsed = !doc.HasParseError() && doc.IsObject();
            const int code = parsed ? IntOf(doc, "code") : kReadCorrupt;
            const std::string message = parsed ? StringOf(doc, "message") : std::string("Bad close frame");
            // Refused before READY (an unknown application id, typically):
            // the caller hears why through errored.
            if (!ready_) events.push_back(CodeEvent(Event::Kind::Errored, code, message));
            Closed(code, message, events);
            return false;
        }
        case Opcode::Frame:
            break;
        default:
            Closed(kReadCorrupt, "Unexpected opcode", events);
            return false;
    }

    rapidjson::Document doc;
    doc.Parse(frame.payload.data(), frame.payload.size());
    if (doc.HasParseError() || !doc.IsObject()) {
        Closed(kReadCorrupt, "Bad JSON", events);
        return false;
    }
    const std::string evt = StringOf(doc, "evt");
    const rapidjson::Value* data = Member(doc, "data");
    const rapidjson::Value empty_object(rapidjson::kObjectType);
    const rapidjson::Value& d = (data && data->IsObject()) ? *data : empty_object;

    if (!ready_) {
        if (evt == "READY") {
            ready_ = true;
            events.push_back(UserEvent(Event::Kind::Ready, Member(d, "user")));
            return true;
        }
        events.push_back(CodeEvent(Event::Kind::Errored, IntOf(d, "code"), StringOf(d, "message")));
        Closed(kPipeClosed, "Handshake refused", events);
        return false;
    }
    if (evt == "ERROR") {
        events.push_back(CodeEvent(Event::Kind::Errored, IntOf(d, "code"), StringOf(d, "message")));
    } else if (evt == "ACTIVITY_JOIN") {
        events.push_back(CodeEvent(Event::Kind::JoinGame, 0, StringOf(d, "secret")));
    } else if (evt == "ACTIVITY_SPECTATE") {
        events.push_back(CodeEvent(Event::Kind::SpectateGame, 0, StringOf(d, "secret")));
    } else if (evt == "ACTIVITY_JOIN_REQUEST") {
        events.push_back(UserEvent(Event::Kind::JoinRequest, Member(d, "user")));
    }
    // Anything else (answers to our commands) needs nothing from us.
    return true;
}

}  // namespace discord_ipc
