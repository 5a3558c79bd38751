#include "graphics/graphics_panel.h"

#include "app/shell.h"
#include "app/startup.h"
#include "config/localisation.h"
#include "platform/display.h"
#include "platform/ui_probe.h"

#include <imgui.h>

GraphicsPanelState graphics_panel;

namespace {

// Height of the scrolling region; its contents are taller and scroll.
constexpr float kRegionHeight = 540.0f;

std::string DisplayText(std::string_view key) { return ToUtf8(LookupText(std::string(key))); }

// What the player reads, with a hidden suffix that keeps the id apart: two
// keys whose translations read alike must not become one control that
// toggles or writes both settings.
std::string ItemLabel(std::string_view key, std::string_view unique) {
    std::string label = DisplayText(key);
    label += "##";
    label += unique;
    return label;
}

// A value typed after Ctrl+click would otherwise go into user.ltx beyond the
// slider's ends.
constexpr ImGuiSliderFlags kSliderFlags = ImGuiSliderFlags_AlwaysClamp;

// Draws one control; true when the player changed its value in this frame.
bool DrawControl(const GraphicsSetting& s, GraphicsSettings& settings, const std::vector<std::string>& resolutions) {
    const std::string label = ItemLabel(s.label, s.name);
    switch (s.kind) {
        case SettingKind::List: {
            const ListEntries entries(s, resolutions);
            int& position = settings.*s.position;
            const bool placed = position >= 0 && static_cast<size_t>(position) < entries.size();
            // vid_mode one past the end: an unknown resolution shows no selection.
            const std::string preview = placed ? DisplayText(entries[static_cast<size_t>(position)]) : std::string();
            bool changed = false;
            const bool open = ImGui::BeginCombo(label.c_str(), preview.c_str());
            ProbeItem("combo:" + std::string(s.name), preview);
            if (open) {
                for (size_t i = 0; i < entries.size(); ++i) {
                    const bool selected = static_cast<int>(i) == position;
                    if (ImGui::Selectable(ItemLabel(entries[i], entries[i]).c_str(), selected)) {
                        position = static_cast<int>(i);
                        changed = true;
                    }
                    ProbeItem("entry:" + std::string(s.name) + ":" + std::string(entries[i]));
                    if (selected) ImGui::SetItemDefaultFocus();
                }
                ImGui::EndCombo();
            }
            return changed;
        }
        case SettingKind::Float: {
            const float frame_width = ImGui::CalcItemWidth();  // the slider itself, without its label
            const bool changed =
                ImGui::SliderFloat(label.c_str(), &(settings.*s.real), s.left, s.right, "%.3f", kSliderFlags);
            const ImVec2 min = ImGui::GetItemRectMin();
            ProbeRect("slider:" + std::string(s.name), min, ImVec2(min.x + frame_width, ImGui::GetItemRectMax().y));
            return changed;
        }
        case SettingKind::Int:
        case SettingKind::IntAsFloat:
            return ImGui::SliderInt(label.c_str(), &(settings.*s.integer), static_cast<int>(s.left),
                                    static_cast<int>(s.right), "%d", kSliderFlags);
        case SettingKind::Switch:
        case SettingKind::Bit: return ImGui::Checkbox(label.c_str(), &(settings.*s.flag));
    }
    return false;
}

void DrawGroups(GraphicsPanelState& panel, const std::string& path) {
    const std::span<const GraphicsGroup> groups = GraphicsGroups();
    for (size_t g = 0; g < groups.size(); ++g) {
        ImGui::TextUnformatted(DisplayText(groups[g].heading).c_str());
        for (const GraphicsControl& control : groups[g].controls) {
            // Tested only now, after the master above has been drawn.
            if (control.shown_while && !(panel.settings.*control.shown_while)) continue;
            const GraphicsSetting& s = *control.setting;
            if (!DrawControl(s, panel.settings, panel.resolutions)) continue;
            WriteGraphicsSetting(s, panel.settings, panel.resolutions, path);
            if (s.reload_after_write) GraphicsPanel::RequestReload();
        }
        // The first two groups run together; nothing follows the last.
        if (g != 0 && g + 1 != groups.size()) ImGui::Separator();
    }
}

}  // namespace

namespace GraphicsPanel {

void Draw() {
    GraphicsPanelState& panel = graphics_panel;
    const std::string path = UserLtxPath();
    if (panel.reloadRequested) {
        ReloadGraphicsSettings(path, panel.settings);
        panel.reloadRequested = false;
    }
    if (panel.resolutions.empty()) {
        const DisplaySize desktop = GetPrimaryDisplaySize();
        panel.resolutions = BuildResolutionList(desktop.width, desktop.height);
    }
    UpdateListPositions(panel.settings, panel.resolutions);

    const std::string title = DisplayText("ui_launcher_options");
    if (ImGui::BeginChild(title.c_str(), ImVec2(0.0f, kRegionHeight), true)) {
        ImGui::PushFont(SmallFont);
        ImGui::TextUnformatted(title.c_str());
        ImGui::Separator();
        DrawGroups(panel, path);
        ImGui::PopFont();
    }
    ImGui::EndChild();
}

void RequestReload() { graphics_panel.reloadRequested = true; }

}  // namespace GraphicsPanel

void ResetGraphicsPanelForTesting() { graphics_panel = GraphicsPanelState{}; }
