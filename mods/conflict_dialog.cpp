#include "mods/conflict_dialog.h"

#include "config/localisation.h"
#include "mods/installed_mods.h"
#include "platform/ui_probe.h"

#include <imgui.h>

namespace {

std::string Text(const char* key) { return ToUtf8(LookupText(key)); }

void ForceEnable() {
    EnableMod(pending_mod);
    conflict_pending = false;
    pending_conflicts.clear();
    ImGui::CloseCurrentPopup();
}

void CancelEnable() {
    conflict_pending = false;
    pending_conflicts.clear();
    ImGui::CloseCurrentPopup();
    for (InstalledMod& mod : installed_mods) {
        if (mod.name == pending_mod) {
            mod.enabled = false;
            break;
        }
    }
}

}  // namespace

void DrawConflictDialog() {
    // Centred on the launcher window on every frame, so it follows the window
    // and cannot be resized.
    const ImVec2 dialog_size(580.0f, 420.0f);
    const ImVec2 window_pos = ImGui::GetWindowPos();
    const ImVec2 window_size = ImGui::GetWindowSize();
    ImGui::SetNextWindowPos(ImVec2(window_pos.x + (window_size.x - dialog_size.x) * 0.5f,
                                   window_pos.y + (window_size.y - dialog_size.y) * 0.5f),
                            ImGuiCond_Always);
    ImGui::SetNextWindowSize(dialog_size, ImGuiCond_Always);

    const std::string label = Text("ui_launcher_mods_conflict");
    const ImGuiWindowFlags flags = ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove;
    if (!ImGui::BeginPopupModal(label.c_str(), &conflict_pending, flags)) {
        if (conflict_pending) ImGui::OpenPopup(label.c_str());
        return;
    }

    ImGui::TextWrapped("%s '%s':", Text("ui_launcher_mods_conflict_name").c_str(), ToUtf8(pending_mod).c_str());
    ImGui::Separator();

    if (ImGui::BeginChild("ConflictsList", ImVec2(0.0f, 250.0f), true)) {
        const std::string with = Text("ui_launcher_mods_conflict_with");
        for (const auto& [mod, files] : pending_conflicts) {
            ImGui::TextColored(ImVec4(1.0f, 0.5f, 0.0f, 1.0f), "%s '%s':", with.c_str(), ToUtf8(mod).c_str());
            for (const std::string& file : files) ImGui::BulletText("%s", file.c_str());
            ImGui::Spacing();
        }
    }
    ImGui::EndChild();
    ImGui::Separator();

    ImGui::TextColored(ImVec4(1.0f, 0.0f, 0.0f, 1.0f), "%s", Text("ui_launcher_mods_conflict_warning_desc").c_str());
    ImGui::SetCursorPosX(85.0f);
    const bool force = ImGui::Button(Text("ui_launcher_mods_manager_force").c_str(), ImVec2(200.0f, 40.0f));
    ProbeItem("conflict_force");
    if (force) ForceEnable();
    ImGui::SameLine();
    const bool cancel = ImGui::Button(Text("ui_launcher_mods_manager_cancel").c_str(), ImVec2(200.0f, 40.0f));
    ProbeItem("conflict_cancel");
    if (cancel) CancelEnable();
    ImGui::EndPopup();
}
