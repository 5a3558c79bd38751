// Bytes from a hostile or broken Discord: the frame reader and the session
// must neither crash nor hand out a frame larger than the limit, and every
// reply they produce must itself be a well-formed pong frame.
#include "presence/discord_ipc.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace discord_ipc;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // The first byte picks how the rest arrives: frames split across reads
    // are the reader's hard case.
    const size_t chunk = 1 + data[0] % 97;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    const size_t length = size - 1;

    Session session("123456789012345678");
    std::string out;
    std::vector<Event> events;
    for (size_t at = 0; at < length; at += chunk) {
        const size_t n = length - at < chunk ? length - at : chunk;
        if (!session.Receive(bytes + at, n, out, events)) break;
    }

    FrameReader replies;
    replies.Feed(out.data(), out.size());
    Frame frame;
    while (replies.Next(frame) == FrameReader::Result::Frame)
        if (frame.opcode != static_cast<uint32_t>(Opcode::Pong)) __builtin_trap();
    if (replies.buffered() != 0) __builtin_trap();

    FrameReader reader;
    reader.Feed(bytes, length);
    while (reader.Next(frame) == FrameReader::Result::Frame)
        if (frame.payload.size() > kMaxPayloadSize) __builtin_trap();
    return 0;
}
