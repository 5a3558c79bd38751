// The PE version reader on arbitrary bytes: it must answer or refuse, never
// read outside the data.
//
// The reader's source is compiled into this target: the core library is not
// built with coverage instrumentation, and without it libFuzzer sees no edges
// of the walk and cannot steer towards the deeper resource tree.
#include "platform/pe_version.cpp"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto version = ReadProductVersion(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)version;
    return 0;
}
