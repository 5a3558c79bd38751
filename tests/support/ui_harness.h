#pragma once
// Headless Dear ImGui frames for screen tests: a real context with the
// launcher's style and fonts (atlas built in memory), the null texture back
// end, a fixed display size, and frames run by the test.
//
// Pressing a button or ticking a check box: Activate(id) asks ImGui to
// activate the item; the item reacts in the next frame that submits it.
#include <imgui.h>
#include <imgui_internal.h>

#include <functional>
#include <string>

class HeadlessUi {
public:
    explicit HeadlessUi(int display_width = 1920, int display_height = 1080);
    ~HeadlessUi();
    HeadlessUi(const HeadlessUi&) = delete;
    HeadlessUi& operator=(const HeadlessUi&) = delete;

    // One frame: NewFrame, body, EndFrame, Render, then the textures released
    // during the frame are destroyed.
    void Frame(const std::function<void()>& body);
    void Frames(int count, const std::function<void()>& body);

    // The id of an item labelled `label` inside the window named `window`
    // (as it was last drawn). Child windows are named "Parent/Label_XXXXXXXX";
    // see ChildWindowName.
    static ImGuiID ItemId(const std::string& window, const std::string& label);
    static std::string ChildWindowName(const std::string& parent, const std::string& child_label);

    // Activates the item in the next frame (press a button, toggle a box).
    void Activate(ImGuiID id);

    // True when the last activation reached an item with that id.
    static bool WasActivated(ImGuiID id);

private:
    ImGuiContext* context_ = nullptr;
    ImGuiID pending_activation_ = 0;
};
