#pragma once
// Data built into the executable at build time (see CMakeLists.txt).
#include <string_view>

enum class Resource {
    Background,      // 1920x1080 background picture of the launcher window
    IconVk,          // 32x32 link icons, in the order of the link row
    IconDiscord,
    IconForum,
    IconBoosty,
    IconGithub,
    DefaultUserLtx,  // the default user.ltx, 419 lines with CR LF line ends
    UiFont,          // DejaVu Sans, the face of all three UI fonts
};

// The resource's bytes; they live for the whole process and are read-only.
std::string_view GetResource(Resource id);
