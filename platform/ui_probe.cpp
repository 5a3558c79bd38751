#include "platform/ui_probe.h"

#include <imgui.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Probe {
    bool enabled = false;
    std::string path;
    std::string frame;     // lines recorded during the current frame
    std::string written;   // what the file holds
};

Probe& State() {
    static Probe probe = [] {
        Probe p;
        if (const char* path = std::getenv("VELMORA_UI_PROBE"); path && *path) {
            p.enabled = true;
            p.path = path;
        }
        return p;
    }();
    return probe;
}

}  // namespace

void ProbeItem(const std::string& name) {
    Probe& p = State();
    if (!p.enabled) return;
    const ImVec2 a = ImGui::GetItemRectMin();
    const ImVec2 b = ImGui::GetItemRectMax();
    char line[64];
    std::snprintf(line, sizeof line, " %.0f %.0f %.0f %.0f\n", a.x, a.y, b.x, b.y);
    p.frame += name;
    p.frame += line;
}

void ProbeFrameEnd() {
    Probe& p = State();
    if (!p.enabled) return;
    if (p.frame != p.written) {
        // Written beside and renamed, so a reader never sees half a file.
        const std::string tmp = p.path + ".tmp";
        if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
            std::fwrite(p.frame.data(), 1, p.frame.size(), f);
            std::fclose(f);
            std::rename(tmp.c_str(), p.path.c_str());
            p.written = p.frame;
        }
    }
    p.frame.clear();
}
