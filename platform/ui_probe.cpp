#include "platform/ui_probe.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Probe {
    bool enabled = false;
    std::string path;
    std::string frame;  // lines recorded during the current frame
    unsigned long long frames = 0;
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

void Record(Probe& p, const std::string& name, ImVec2 a, ImVec2 b, const std::string& text) {
    char line[96];
    std::snprintf(line, sizeof line, " %.0f %.0f %.0f %.0f", a.x, a.y, b.x, b.y);
    p.frame += name;
    p.frame += line;
    if (!text.empty()) {
        p.frame += ' ';
        for (char c : text) p.frame += (c == '\n' || c == '\r') ? ' ' : c;
    }
    p.frame += '\n';
}

}  // namespace

void ProbeItem(const std::string& name, const std::string& text) {
    Probe& p = State();
    if (p.enabled) Record(p, name, ImGui::GetItemRectMin(), ImGui::GetItemRectMax(), text);
}

void ProbeRect(const std::string& name, ImVec2 min, ImVec2 max, const std::string& text) {
    Probe& p = State();
    if (p.enabled) Record(p, name, min, max, text);
}

void ProbeFrameEnd() {
    Probe& p = State();
    if (!p.enabled) return;
    // Written beside and renamed, so a reader never sees half a file.
    const std::string tmp = p.path + ".tmp";
    if (FILE* f = std::fopen(tmp.c_str(), "wb")) {
        std::fprintf(f, "frame %llu\n", ++p.frames);
        std::fwrite(p.frame.data(), 1, p.frame.size(), f);
        std::fclose(f);
        std::rename(tmp.c_str(), p.path.c_str());
    }
    p.frame.clear();
}
