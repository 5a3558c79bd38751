#include "mods/mods_manager_screen.h"

#include "config/launcher_settings.h"
#include "config/localisation.h"
#include "mods/catalogue.h"
#include "mods/catalogue_view.h"
#include "mods/installed_mods.h"
#include "platform/ui_probe.h"

#include <imgui.h>

ModsManagerState mods_manager;

void SetModEnabled(InstalledMod& mod, bool enabled) {
    mod.enabled = enabled;
    if (!enabled) {
        DisableMod(mod.name);
        return;
    }
    ConflictMap conflicts = FindConflicts(mod.name);
    if (conflicts.empty()) {
        EnableMod(mod.name);
        return;
    }
    // The box stays ticked while the dialog decides; the folder has not moved.
    pending_conflicts = std::move(conflicts);
    pending_mod = mod.name;
    conflict_pending = true;
}

std::string ModCheckboxLabel(size_t index) {
    const std::string& name = installed_mods[index].name;
    std::string label = ToUtf8(name);
    for (size_t i = 0; i < index; ++i) {
        if (installed_mods[i].name == name) {
            label += "##" + std::to_string(index);
            break;
        }
    }
    return label;
}

void DrawModsManager() {
    if (launcher_settings.enable_download_manager) {
        const bool pressed =
            ImGui::Button(ToUtf8(LookupText("ui_launcher_download_mods")).c_str(), ImVec2(150.0f, 30.0f));
        ProbeItem("download_mods");
        if (pressed) {
            DownloadManager::LoadCatalogue();
            mods_manager.catalogue_view = true;
        }
    }
    ImGui::SameLine();
    ImGui::TextUnformatted(ToUtf8(LookupText("ui_launcher_installed_mods")).c_str());

    if (mods_manager.catalogue_view) {
        DrawCatalogue();
        return;
    }

    ImGui::BeginChild(ToUtf8(LookupText("ui_launcher_mods_manager")).c_str(), ImVec2(0.0f, 540.0f), true);
    // Indexed: a box's action may not add or remove records, but a
    // reference into the list must not outlive a change of it either.
    for (size_t i = 0; i < installed_mods.size(); ++i) {
        bool enabled = installed_mods[i].enabled;
        const bool changed = ImGui::Checkbox(ModCheckboxLabel(i).c_str(), &enabled);
        ProbeItem("installed:" + installed_mods[i].name, enabled ? "on" : "off");
        if (changed) SetModEnabled(installed_mods[i], enabled);
    }
    ImGui::EndChild();
}

void ResetModsManagerForTesting() {
    mods_manager = ModsManagerState{};
    ResetInstalledModsForTesting();
}
