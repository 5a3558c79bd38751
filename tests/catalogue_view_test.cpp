// The catalogue view drawn headless: layout of groups and rows, the progress
// texts, selection by clicking the text column, the download button, the
// details pane after a shorter reload, and the empty registry file.
#include "config/localisation.h"
#include "mods/catalogue_view.h"
#include "mods/download_manager.h"
#include "mods/mods_manager_screen.h"
#include "support/game_folder.h"
#include "support/http_server.h"
#include "support/ui_harness.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>

using namespace DownloadManager;
namespace fs = std::filesystem;

namespace {

DownloadableMod Mod(const std::string& id, const std::string& parent, const std::string& link = "") {
    DownloadableMod m;
    m.id = id;
    m.name = "Name " + id;
    m.author = "Author " + id;
    m.version = "1." + id;
    m.parent_mod = parent;
    m.download_link = link;
    m.description = "About " + id;
    return m;
}

std::string LayoutCode(const std::vector<std::string>& parents) {
    std::vector<DownloadableMod> mods;
    for (size_t i = 0; i < parents.size(); ++i) mods.push_back(Mod(std::to_string(i), parents[i]));
    std::string code;
    for (const CatalogueLine& line : CatalogueLayout(mods)) code += "=H-R"[line.kind];
    return code;
}

TEST(CatalogueLayout, HeadingsAndSeparators) {
    // '=' two separators, 'H' heading, '-' one separator, 'R' row.
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{}, ""},
        {{"X"}, "H-R"},
        {{"", ""}, "R-R"},
        {{"A", "B", "C"}, "H-R-=H-R-=H-R"},
        {{"", "", "A", "A", "B"}, "R-R-H-R-R-=H-R"},
    };
    for (const auto& [parents, code] : cases) EXPECT_EQ(LayoutCode(parents), code);
}

TEST(CatalogueLayout, SortIsStableAndByUnsignedBytes) {
    std::vector<DownloadableMod> mods{Mod("1", "B"), Mod("2", "\xC0"), Mod("3", "A"), Mod("4", "B"), Mod("5", ""),
                                      Mod("6", "AB")};
    SortCatalogue(mods);
    std::string order;
    for (const DownloadableMod& m : mods) order += m.id;
    EXPECT_EQ(order, "536142");
}

TEST(CatalogueFractions, RowRoundsOverlayCuts) {
    ResetLocalisationForTesting();
    ModStatus s;
    s.bytes_received = 996;
    s.bytes_announced = 1000;
    EXPECT_EQ(RowPercentText(DownloadFraction(s)), "100%");
    EXPECT_EQ(DownloadOverlay(DownloadFraction(s)), "ui_launcher_downloading 99%");
    s.bytes_announced = 0;  // no length announced
    EXPECT_EQ(DownloadFraction(s), 0.0f);

    struct Case {
        int current, count;
        float fraction;
    };
    const Case cases[] = {{0, 0, 0.0f}, {5, 0, 0.0f}, {1, 4, 0.0f}, {3, 4, 0.5f}, {9, 4, 1.0f}};
    for (const Case& c : cases) {
        s.current_entry = c.current;
        s.entry_count = c.count;
        EXPECT_EQ(InstallFraction(s), c.fraction) << c.current << "/" << c.count;
    }
    EXPECT_EQ(InstallOverlay(0.5f, 3, 4), "ui_launcher_installing 50% (2/4 ui_launcher_pb_files");
}

class CatalogueViewTest : public testing::Test {
protected:
    void SetUp() override {
        mods_manager = ModsManagerState{};
        mods_manager.catalogue_view = true;
        fs::create_directories("LauncherFiles/ModsManager");
        fs::create_directories("available_addons");
    }
    void TearDown() override {
        WaitForPendingTasks();
        ResetCatalogueForTesting();
        mods_manager = ModsManagerState{};
    }

    // One frame of the view in a window of its own; returns the text it drew.
    std::string Draw() {
        std::string text;
        ui.Frame([&] {
            ImGui::SetNextWindowPos(ImVec2(0, 0));
            ImGui::SetNextWindowSize(ImVec2(900, 700));
            ImGui::Begin("Test", nullptr, ImGuiWindowFlags_NoDecoration);
            ImGui::LogToBuffer();
            DrawCatalogue();
            text = GImGui->LogBuffer.c_str();
            ImGui::LogFinish();
            ImGui::End();
        });
        return text;
    }

    void Click(ImVec2 pos) {
        ImGuiIO& io = ImGui::GetIO();
        io.MousePos = pos;
        Draw();
        io.MouseDown[0] = true;
        Draw();
        io.MouseDown[0] = false;
        Draw();
    }

    ImVec2 ListStart() {
        ImGuiWindow* list = ImGui::FindWindowByName(HeadlessUi::ChildWindowName("Test", "##mods_list").c_str());
        EXPECT_NE(list, nullptr);
        return list ? list->DC.CursorStartPos : ImVec2();
    }

    TempGameFolder game;
    HeadlessUi ui;
};

TEST_F(CatalogueViewTest, GroupsAreDrawnUnderTheirHeadingsInSortedOrder) {
    catalogue = {Mod("b1", "Beta"), Mod("a1", "Alpha"), Mod("n1", ""), Mod("b2", "Beta"), Mod("c1", "Gamma")};
    const std::string text = Draw();
    const std::vector<std::string> in_order{"Name n1", "Alpha", "Name a1", "Beta", "Name b1", "Name b2", "Gamma",
                                            "Name c1"};
    size_t at = 0;
    for (const std::string& piece : in_order) {
        const size_t found = text.find(piece, at);
        ASSERT_NE(found, std::string::npos) << piece << " after " << at << " in\n" << text;
        at = found + piece.size();
    }
    EXPECT_NE(text.find("ui_launcher_mod_authors Author a1 | v1.a1"), std::string::npos);
    EXPECT_EQ(text.find("by "), std::string::npos);  // no details before a click
}

TEST_F(CatalogueViewTest, ClickOnTheTextColumnSelectsAndOnThePreviewDoesNot) {
    catalogue = {Mod("x", ""), Mod("y", "")};
    Draw();
    const ImVec2 start = ListStart();
    // Rows are 64 px previews; the second row's text column sits below the first.
    Click(ImVec2(start.x + 64 + 8 + 20, start.y + 100));
    EXPECT_EQ(mods_manager.selected_mod, 1);
    EXPECT_TRUE(mods_manager.show_details);
    Click(ImVec2(start.x + 10, start.y + 10));
    EXPECT_EQ(mods_manager.selected_mod, 1);
    EXPECT_NE(Draw().find("by Author y | v1.y"), std::string::npos);
}

TEST_F(CatalogueViewTest, ProgressTextsOfARunningTransfer) {
    catalogue = {Mod("x", "")};
    mods_manager.selected_mod = 0;
    mods_manager.show_details = true;
    ModStatus& s = *catalogue[0].status;
    s.downloading = true;
    s.transfer_live = true;
    s.bytes_received = 996;
    s.bytes_announced = 1000;
    const std::string text = Draw();
    EXPECT_NE(text.find("100%"), std::string::npos) << text;
    EXPECT_NE(text.find("ui_launcher_downloading 99%"), std::string::npos) << text;
    EXPECT_EQ(text.find("[ ui_launcher_download ]"), std::string::npos);
}

TEST_F(CatalogueViewTest, DownloadButtonStartsATaskAndGivesWayToTheBar) {
    LocalHttpServer server;
    std::mutex m;
    std::condition_variable cv;
    bool release = false;
    server.Handle("/Pack.zip", [&](const httplib::Request&, httplib::Response& res) {
        std::unique_lock<std::mutex> lock(m);
        cv.wait(lock, [&] { return release; });
        res.status = 404;
    });
    server.Handle("/Pack.part1.zip", [](const httplib::Request&, httplib::Response& res) { res.status = 404; });
    catalogue = {Mod("x", "", server.Url("/Pack.zip"))};
    mods_manager.selected_mod = 0;
    mods_manager.show_details = true;
    Draw();
    const std::string details = HeadlessUi::ChildWindowName("Test", "##mod_details");
    const ImGuiID button = HeadlessUi::ItemId(details, ToUtf8(LookupText("ui_launcher_download")));
    ui.Activate(button);
    Draw();
    Draw();
    EXPECT_TRUE(HeadlessUi::WasActivated(button));
    EXPECT_TRUE(catalogue[0].status->task_running);
    EXPECT_TRUE(catalogue[0].status->downloading);

    // While the task runs the button is not drawn, so a second press finds nothing.
    ui.Activate(button);
    Draw();
    const std::string text = Draw();
    EXPECT_NE(text.find("ui_launcher_downloading 0%"), std::string::npos) << text;
    EXPECT_EQ(text.find("[ ui_launcher_download ]"), std::string::npos) << text;
    {
        std::lock_guard<std::mutex> lock(m);
        release = true;
    }
    cv.notify_all();
    WaitForPendingTasks();
    EXPECT_EQ(server.CountRequests("GET", "/Pack.zip"), 1);
    EXPECT_FALSE(catalogue[0].status->downloaded);
}

TEST_F(CatalogueViewTest, SelectionBeyondAShorterListHidesTheDetails) {
    catalogue = {Mod("a", ""), Mod("b", ""), Mod("c", "")};
    mods_manager.selected_mod = 2;
    mods_manager.show_details = true;
    EXPECT_NE(Draw().find("by Author c"), std::string::npos);
    catalogue.resize(1);
    EXPECT_EQ(Draw().find("by "), std::string::npos);
    catalogue = {Mod("d", ""), Mod("e", ""), Mod("f", "")};
    EXPECT_NE(Draw().find("by Author f"), std::string::npos);  // the same position, the entry now there
}

TEST_F(CatalogueViewTest, BackButtonLeavesTheView) {
    Draw();
    ui.Activate(HeadlessUi::ItemId("Test", ToUtf8(LookupText("ui_launcher_back"))));
    Draw();
    Draw();
    EXPECT_FALSE(mods_manager.catalogue_view);
}

TEST_F(CatalogueViewTest, RegistryFileIsCreatedEmptyButNeverReplaced) {
    const std::string registry = "LauncherFiles/ModsManager/downloaded_mods.ini";
    Draw();
    ASSERT_TRUE(fs::exists(registry));
    EXPECT_EQ(game.Read(registry), "");
    game.Write(registry, "[DownloadedModsStatus]\nx = true\n");
    Draw();
    EXPECT_EQ(game.Read(registry), "[DownloadedModsStatus]\nx = true\n");
}

TEST_F(CatalogueViewTest, SpinnerIsOneItemOfTwiceItsRadius) {
    ImVec2 size;
    ui.Frame([&] {
        ImGui::Begin("Spin");
        DrawSpinner(6.0f, IM_COL32_WHITE);
        size = ImGui::GetItemRectSize();
        ImGui::End();
    });
    const float pad = ImGui::GetStyle().FramePadding.y;
    EXPECT_EQ(size.x, 12.0f);
    EXPECT_EQ(size.y, 12.0f + 2 * pad);
}

}  // namespace
