// The PE version reader on arbitrary bytes: it must answer or refuse, never
// read outside the data.
#include "platform/pe_version.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto version = ReadProductVersion(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)version;
    return 0;
}
