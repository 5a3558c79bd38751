#include "app/preview.h"

#include "platform/texture.h"
#include "support/game_folder.h"
#include "support/ui_harness.h"

#include <stb_image_write.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <vector>

namespace {

// A picture whose width tells which file became the texture.
std::string PngOfWidth(int w) {
    std::vector<unsigned char> rgba(size_t(w) * 2 * 4, 90);
    std::string out;
    stbi_write_png_to_func(
        [](void* ctx, void* data, int size) { static_cast<std::string*>(ctx)->append(static_cast<char*>(data), size); },
        &out, w, 2, 4, rgba.data(), w * 4);
    return out;
}

// Remembers the width of every texture it creates and counts creations.
class RecordingBackend final : public TextureBackend {
public:
    explicit RecordingBackend(std::map<ImTextureID, int>* widths) : widths_(widths) {}
    ImTextureID Create(const DecodedImage& image) override {
        auto id = reinterpret_cast<ImTextureID>(static_cast<uintptr_t>(++next_));
        (*widths_)[id] = image.width;
        return id;
    }
    void Destroy(ImTextureID id) override { widths_->erase(id); }

private:
    std::map<ImTextureID, int>* widths_;
    uintptr_t next_ = 1000;
};

class PreviewTest : public ::testing::Test {
protected:
    void SetUp() override { SetTextureBackend(std::make_unique<RecordingBackend>(&widths)); }
    void TearDown() override {
        preview_texture = nullptr;
        DropPreviewCache();
        SetTextureBackend(nullptr);  // also destroys what is pending
    }
    // Width of the texture in the slot; 0 for an empty slot.
    int Shown() const {
        if (!preview_texture) return 0;
        auto it = widths.find(preview_texture);
        return it == widths.end() ? -1 : it->second;
    }
    std::map<ImTextureID, int> widths;  // live textures
};

}  // namespace

TEST_F(PreviewTest, PngBeforeGivenPath) {
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, int>> files;  // relative path, picture width
        std::string load;
        int shown;  // width of the picture in the slot, 0 for none
    };
    const std::vector<Case> cases = {
        {"png beside dds wins", {{"s/a.png", 2}, {"s/a.dds", 3}}, "s/a.dds", 2},
        {"dds alone", {{"s/a.dds", 3}}, "s/a.dds", 3},
        {"neither", {}, "s/a.dds", 0},
        {"broken png falls back to the file", {{"s/a.png", -1}, {"s/a.dds", 3}}, "s/a.dds", 3},
        {"no dot: path + .png first", {{"s/shot.png", 2}, {"s/shot", 3}}, "s/shot", 2},
        {"no dot: the path itself", {{"s/shot", 3}}, "s/shot", 3},
        {"dot in folder name cuts there", {{"saves.png", 4}, {"saves.v2/shot", 3}}, "saves.v2/shot", 4},
        {"dot in folder name, no cut file", {{"saves.v2/shot", 3}, {"saves.v2/shot.png", 2}}, "saves.v2/shot", 3},
        {"backslash path", {{"s/a.png", 2}}, "s\\a.dds", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempGameFolder game;
        for (const auto& [path, width] : c.files) game.Write(path, width < 0 ? "not a picture" : PngOfWidth(width));
        preview_texture = nullptr;
        LoadPreviewTexture(game.Path(c.load));
        EXPECT_EQ(Shown(), c.shown);
    }
}

TEST_F(PreviewTest, FailedLoadKeepsTheSlot) {
    TempGameFolder game;
    game.Write("a.png", PngOfWidth(2));
    LoadPreviewTexture(game.Path("a.png"));
    ASSERT_EQ(Shown(), 2);
    LoadPreviewTexture(game.Path("missing.dds"));
    EXPECT_EQ(Shown(), 2);
}

TEST_F(PreviewTest, CacheReusesAndRefreshes) {
    TempGameFolder game;
    game.Write("p/a.png", PngOfWidth(2));
    const size_t base = LiveTextureCount();

    LoadPreviewTexture(game.Path("p/a.dds"));
    const ImTextureID first = preview_texture;
    preview_texture = nullptr;
    LoadPreviewTexture(game.Path("p/a.dds"));
    EXPECT_EQ(preview_texture, first);
    EXPECT_EQ(LiveTextureCount(), base + 1);

    // A changed file (other size) is decoded anew; the old texture goes once
    // the frame is rendered.
    game.Write("p/a.png", PngOfWidth(5));
    LoadPreviewTexture(game.Path("p/a.dds"));
    EXPECT_NE(preview_texture, first);
    EXPECT_EQ(Shown(), 5);
    EXPECT_EQ(widths.count(first), 1u);  // still drawable this frame
    TexturesFrameRendered();
    EXPECT_EQ(widths.count(first), 0u);
    EXPECT_EQ(LiveTextureCount(), base + 1);
}

TEST_F(PreviewTest, DropKeepsTheShownTextureUntilTheSlotMovesOn) {
    TempGameFolder game;
    game.Write("a.png", PngOfWidth(2));
    game.Write("b.png", PngOfWidth(3));
    LoadPreviewTexture(game.Path("b.png"));
    LoadPreviewTexture(game.Path("a.png"));
    const size_t before = LiveTextureCount();

    DropPreviewCache();
    TexturesFrameRendered();
    EXPECT_EQ(Shown(), 2);  // the saves list may still draw it
    EXPECT_EQ(LiveTextureCount(), before - 1);

    preview_texture = nullptr;
    LoadPreviewTexture(game.Path("b.png"));  // decoded again: the cache was dropped
    EXPECT_EQ(Shown(), 3);
    TexturesFrameRendered();
    EXPECT_EQ(LiveTextureCount(), before - 1);
}

TEST(PreviewFrames, LiveTextureCountStaysFlat) {
    TempGameFolder game;
    HeadlessUi ui;
    game.Write("mods/one.png", PngOfWidth(2));
    game.Write("mods/two.dds", PngOfWidth(3));
    game.Write("mods/broken.png", "junk");
    const size_t base = LiveTextureCount();
    // Like the mods screen: every visible preview loaded and drawn each frame.
    auto frame = [&] {
        ImGui::Begin("previews");
        for (const char* name : {"mods/one.dds", "mods/two.dds", "mods/broken.png", "mods/none.dds"}) {
            preview_texture = nullptr;
            LoadPreviewTexture(game.Path(name));
            if (preview_texture) ImGui::Image(preview_texture, ImVec2(32, 32));
        }
        ImGui::End();
    };
    ui.Frame(frame);
    const size_t after_first = LiveTextureCount();
    EXPECT_EQ(after_first, base + 2);
    ui.Frames(200, frame);
    EXPECT_EQ(LiveTextureCount(), after_first);

    preview_texture = nullptr;
    DropPreviewCache();
    ui.Frame([] {});
    EXPECT_EQ(LiveTextureCount(), base);
}
