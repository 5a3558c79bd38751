#include "support/ui_harness.h"

#include "app/shell.h"
#include "platform/display.h"
#include "platform/texture.h"

HeadlessUi::HeadlessUi(int display_width, int display_height) {
    SetDisplaySizeForTesting(display_width, display_height);
    SetTextureBackend(MakeNullTextureBackend());
    ComputeWindowBaseSize();
    context_ = ImGui::CreateContext();
    ImGuiIO& io = ImGui::GetIO();
    io.IniFilename = nullptr;
    io.DisplaySize = ImVec2(static_cast<float>(display_width), static_cast<float>(display_height));
    io.DeltaTime = 1.0f / 60.0f;
    ApplyLauncherStyle();
    AddLauncherFonts(io);
    unsigned char* pixels = nullptr;
    int w = 0, h = 0;
    io.Fonts->GetTexDataAsRGBA32(&pixels, &w, &h);
    io.Fonts->SetTexID(reinterpret_cast<ImTextureID>(static_cast<uintptr_t>(1)));
}

HeadlessUi::~HeadlessUi() {
    ImGui::DestroyContext(context_);
    TexturesFrameRendered();
}

void HeadlessUi::Frame(const std::function<void()>& body) {
    ImGui::SetCurrentContext(context_);
    ImGui::NewFrame();
    if (pending_activation_) {
        ImGui::ActivateItem(pending_activation_);
        pending_activation_ = 0;
    }
    body();
    ImGui::EndFrame();
    ImGui::Render();
    TexturesFrameRendered();
}

void HeadlessUi::Frames(int count, const std::function<void()>& body) {
    for (int i = 0; i < count; ++i) Frame(body);
}

ImGuiID HeadlessUi::ItemId(const std::string& window, const std::string& label) {
    ImGuiWindow* w = ImGui::FindWindowByName(window.c_str());
    if (!w) return 0;
    return w->GetID(label.c_str());
}

std::string HeadlessUi::ChildWindowName(const std::string& parent, const std::string& child_label) {
    ImGuiWindow* w = ImGui::FindWindowByName(parent.c_str());
    if (!w) return std::string();
    const ImGuiID id = w->GetID(child_label.c_str());
    char buf[512];
    ImFormatString(buf, sizeof buf, "%s/%s_%08X", parent.c_str(), child_label.c_str(), id);
    return buf;
}

void HeadlessUi::Activate(ImGuiID id) { pending_activation_ = id; }

bool HeadlessUi::WasActivated(ImGuiID id) { return id != 0 && GImGui->LastActiveId == id; }
