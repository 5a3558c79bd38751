// Index of this file:
// [SECTION] Layout and fractions
// [SECTION] Widgets
// [SECTION] The view
#include "mods/catalogue_view.h"

#include "app/preview.h"
#include "app/shell.h"
#include "config/localisation.h"
#include "mods/download_manager.h"
#include "mods/mods_manager_screen.h"
#include "mods/registry.h"
#include "platform/paths.h"
#include "platform/ui_probe.h"

#include <imgui_internal.h>

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstdio>

using DownloadManager::catalogue;
using DownloadManager::DownloadableMod;
using DownloadManager::ModStatus;

namespace {

const ImVec4 kHeadingColour(0.3f, 0.8f, 1.0f, 1.0f);
const ImVec4 kGreyText(0.7f, 0.7f, 0.7f, 1.0f);
const ImVec4 kGreen(0.0f, 1.0f, 0.0f, 1.0f);
const ImVec4 kBarFill(0.3f, 0.8f, 1.0f, 0.7f);
const ImVec4 kBarBackground(0.1f, 0.2f, 0.3f, 0.5f);

std::string Text(const char* key) { return ToUtf8(LookupText(key)); }

}  // namespace

// [SECTION] Layout and fractions

void SortCatalogue(std::vector<DownloadableMod>& mods) {
    // std::string compares through char_traits<char>, i.e. as unsigned bytes.
    std::stable_sort(mods.begin(), mods.end(),
                     [](const DownloadableMod& a, const DownloadableMod& b) { return a.parent_mod < b.parent_mod; });
}

std::vector<CatalogueLine> CatalogueLayout(const std::vector<DownloadableMod>& mods) {
    std::vector<CatalogueLine> lines;
    const std::string* group = nullptr;  // nullptr stands for the empty group
    bool first = true;
    const int count = static_cast<int>(mods.size());
    for (int k = 0; k < count; ++k) {
        const std::string& parent = mods[k].parent_mod;
        if (group ? parent != *group : !parent.empty()) {
            group = &parent;
            if (!first) {
                lines.push_back({CatalogueLine::kDoubleSeparator, k});
            }
            if (!parent.empty()) {
                lines.push_back({CatalogueLine::kHeading, k});
                lines.push_back({CatalogueLine::kSeparator, k});
            }
            first = false;
        }
        lines.push_back({CatalogueLine::kRow, k});
        if (k + 1 < count) lines.push_back({CatalogueLine::kSeparator, k});
    }
    return lines;
}

float DownloadFraction(const ModStatus& status) {
    const long long announced = status.bytes_announced.load();
    if (announced <= 0) return 0.0f;
    return static_cast<float>(static_cast<double>(status.bytes_received.load()) / static_cast<double>(announced));
}

float InstallFraction(const ModStatus& status) {
    const int count = status.entry_count.load();
    if (count < 1) return 0.0f;
    return std::min(1.0f, static_cast<float>(status.current_entry.load() - 1) / static_cast<float>(count));
}

std::string RowPercentText(float fraction) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.0f%%", fraction * 100.0f);
    return buf;
}

namespace {
long long CutPercent(float fraction) {
    // Not clamped: a server that sends more than it announced shows above 100.
    const double percent = std::trunc(static_cast<double>(fraction * 100.0f));
    return static_cast<long long>(std::clamp(percent, -1e15, 1e15));
}
}  // namespace

std::string DownloadOverlay(float fraction) {
    return LookupText("ui_launcher_downloading") + " " + std::to_string(CutPercent(fraction)) + "%";
}

std::string InstallOverlay(float fraction, int current_entry, int entry_count) {
    return LookupText("ui_launcher_installing") + " " + std::to_string(CutPercent(fraction)) + "% (" +
           std::to_string(static_cast<long long>(current_entry) - 1) + "/" + std::to_string(entry_count) + " " +
           LookupText("ui_launcher_pb_files");
}

bool StartCatalogueDownload(int index) {
    if (index < 0 || index >= static_cast<int>(catalogue.size())) return false;
    const DownloadableMod& mod = catalogue[index];
    const std::string destination = DownloadManager::kAddonsFolder + DownloadManager::FileNameFromUrl(mod.download_link);
    return DownloadManager::DownloadFileAsync(mod.download_link, destination, mod.id, mod.status);
}

void EnsureRegistryFile() {
    if (FileExists(kRegistryPath)) return;
    // "x": a registry a finishing download has just renamed into place is
    // never truncated.
    if (std::FILE* f = std::fopen(ToFsPath(kRegistryPath).c_str(), "wx")) std::fclose(f);
}

// [SECTION] Widgets

void DrawSpinner(float radius, ImU32 colour) {
    ImGuiWindow* window = ImGui::GetCurrentWindow();
    if (window->SkipItems) return;
    ImGuiContext& g = *GImGui;
    const ImGuiID id = window->GetID("##spinner");
    const ImVec2 pos = window->DC.CursorPos;
    const float pad = g.Style.FramePadding.y;
    const ImVec2 size(radius * 2.0f, (radius + pad) * 2.0f);
    const ImRect bb(pos, ImVec2(pos.x + size.x, pos.y + size.y));
    ImGui::ItemSize(size, pad);
    if (!ImGui::ItemAdd(bb, id)) return;

    ImDrawList* draw = window->DrawList;
    draw->PathClear();
    const double t = g.Time;
    const float s = std::sin(static_cast<float>(t * 1.8));
    const float start = std::fabs(s * 25.0f);
    const float a_min = IM_PI * 2.0f * start / 30.0f;
    const float a_max = 5.654867f;
    const ImVec2 centre(pos.x + radius, pos.y + radius + pad);
    for (int i = 0; i < 30; ++i) {
        const float a = a_min + (static_cast<float>(i) / 30.0f) * (a_max - a_min);
        const float phi = static_cast<float>(a + t * 8.0);
        draw->PathLineTo(ImVec2(centre.x + std::cos(phi) * radius, centre.y + std::sin(phi) * radius));
    }
    draw->AddPolyline(draw->_Path.Data, draw->_Path.Size, colour, ImDrawFlags_None, 2.0f);
    draw->PathClear();
}

namespace {

void DrawPreview(const std::string& id, float side) {
    // A row scrolled out of the list needs its space, not its picture: the
    // cache lookup (a stat of the file) is skipped.
    if (id.empty() || !ImGui::IsRectVisible(ImVec2(side, side))) {
        ImGui::Dummy(ImVec2(side, side));
        return;
    }
    preview_texture = nullptr;
    LoadPreviewTexture("LauncherFiles\\ModsManager\\" + id + ".dds");
    ImGui::Image(preview_texture, ImVec2(side, side), ImVec2(0, 0), ImVec2(1, 1), ImVec4(1, 1, 1, 1), ImVec4(0, 0, 0, 0));
}

void DrawProgressBar(float fraction, const std::string& overlay) {
    KeepAnimating();
    ImGui::PushStyleVar(ImGuiStyleVar_FrameRounding, 4.0f);
    ImGui::PushStyleColor(ImGuiCol_PlotHistogram, kBarFill);
    ImGui::PushStyleColor(ImGuiCol_FrameBg, kBarBackground);
    ImGui::ProgressBar(fraction, ImVec2(-FLT_MIN, 24), ToUtf8(overlay).c_str());
    ImGui::PopStyleColor(2);
    ImGui::PopStyleVar();
}

ImFont* DefaultFont() { return ImGui::GetIO().Fonts->Fonts[0]; }

void DrawRow(int k) {
    const DownloadableMod& mod = catalogue[k];
    const ModStatus& status = *mod.status;
    ImGui::BeginGroup();
    DrawPreview(mod.id, 64.0f);
    ImGui::SameLine(0, 8);
    ImGui::BeginGroup();
    ImGui::PushFont(DefaultFont());
    ImGui::TextUnformatted(mod.name.c_str());
    ImGui::PopFont();

    ImGui::PushStyleColor(ImGuiCol_Text, kGreyText);
    ImGui::PushFont(SmallFont);
    ImGui::Text("%s %s | v%s", Text("ui_launcher_mod_authors").c_str(), mod.author.c_str(), mod.version.c_str());
    if (status.downloaded) ImGui::TextColored(kGreen, "%s", Text("ui_launcher_already_download").c_str());
    ImGui::PopFont();
    ImGui::PopStyleColor();

    const bool transferring = status.downloading && status.transfer_live;
    if (transferring || status.installing) {
        const float fraction = transferring ? DownloadFraction(status) : InstallFraction(status);
        KeepAnimating();  // the percentage and the spinner move without input
        ImGui::SameLine(ImGui::GetContentRegionAvail().x - 50);
        ImGui::BeginGroup();
        ImGui::TextUnformatted(RowPercentText(fraction).c_str());
        ImGui::SameLine();
        DrawSpinner(6, ImGui::GetColorU32(ImGuiCol_ButtonHovered));
        ImGui::EndGroup();
    }
    ImGui::EndGroup();
    ProbeItem("catalogue.row." + mod.id);
    if (ImGui::IsItemClicked()) {
        mods_manager.selected_mod = k;
        mods_manager.show_details = true;
    }
    ImGui::EndGroup();
}

void DrawStatusArea(int index) {
    const ModStatus& status = *catalogue[index].status;
    ImGui::BeginGroup();
    if (status.downloading && status.transfer_live) {
        const float fraction = DownloadFraction(status);
        DrawProgressBar(fraction, DownloadOverlay(fraction));
    } else if (status.installing) {
        const float fraction = InstallFraction(status);
        DrawProgressBar(fraction, InstallOverlay(fraction, status.current_entry, status.entry_count));
    } else if (status.downloaded) {
        ImGui::TextColored(kGreen, "%s", Text("ui_launcher_already_download").c_str());
    } else if (status.downloading || status.task_running) {
        // The task is still probing for volumes: no transfer to measure yet,
        // but a second press would start a second task on the same files.
        DrawProgressBar(0.0f, DownloadOverlay(0.0f));
    } else {
        const bool pressed = ImGui::Button(Text("ui_launcher_download").c_str(), ImVec2(100, 24));
        ProbeItem("catalogue.download");
        if (pressed) StartCatalogueDownload(index);
    }
    ImGui::EndGroup();
}

void DrawDetails(int index) {
    const DownloadableMod& mod = catalogue[index];
    ImGui::BeginChild("##mod_details", ImVec2(0, 180), true);
    ImGui::BeginGroup();
    DrawPreview(mod.id, 96.0f);
    ImGui::EndGroup();
    ImGui::SameLine(0, 16);
    ImGui::BeginGroup();
    ImGui::PushFont(DefaultFont());
    ImGui::TextUnformatted(mod.name.c_str());
    ImGui::PopFont();
    ImGui::PushStyleColor(ImGuiCol_Text, kGreyText);
    ImGui::PushFont(SmallFont);
    ImGui::Text("by %s | v%s", mod.author.c_str(), mod.version.c_str());
    DrawStatusArea(index);
    ImGui::PopFont();
    ImGui::PopStyleColor();
    ImGui::EndGroup();

    ImGui::PushFont(SmallFont);
    ImGui::TextWrapped("%s", Text("ui_launcher_mod_descr").c_str());
    ImGui::TextWrapped("%s", mod.description.c_str());
    ImGui::PopFont();
    ImGui::EndChild();
}

}  // namespace

// [SECTION] The view

void DrawCatalogue() {
    EnsureRegistryFile();

    const bool back = ImGui::Button(Text("ui_launcher_back").c_str(), ImVec2(100, 30));
    ProbeItem("catalogue.back");
    if (back) mods_manager.catalogue_view = false;
    ImGui::SameLine();
    ImGui::TextUnformatted(Text("ui_launcher_available_mods").c_str());

    ImGui::BeginChild("##mods_list", ImVec2(0, 250), true);
    ProbeRect("catalogue.list", ImGui::GetWindowPos(),
              ImVec2(ImGui::GetWindowPos().x + ImGui::GetWindowSize().x, ImGui::GetWindowPos().y + ImGui::GetWindowSize().y));
    ImGui::PushStyleVar(ImGuiStyleVar_ItemSpacing, ImVec2(8, 4));
    SortCatalogue(catalogue);
    for (const CatalogueLine& line : CatalogueLayout(catalogue)) {
        switch (line.kind) {
        case CatalogueLine::kDoubleSeparator:
            ImGui::Separator();
            ImGui::Separator();
            break;
        case CatalogueLine::kHeading:
            ImGui::TextColored(kHeadingColour, "%s", catalogue[line.index].parent_mod.c_str());
            break;
        case CatalogueLine::kSeparator:
            ImGui::Separator();
            break;
        case CatalogueLine::kRow:
            DrawRow(line.index);
            break;
        }
    }
    ImGui::PopStyleVar();
    ImGui::EndChild();

    // After a reload that shortened the list the position may name no entry.
    const int selected = mods_manager.selected_mod;
    if (mods_manager.show_details && selected >= 0 && selected < static_cast<int>(catalogue.size())) DrawDetails(selected);
}
