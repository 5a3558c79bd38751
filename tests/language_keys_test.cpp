// The shipped language files must hold a text for every localisation key the
// launcher's code names, so that no screen ever shows a raw key.
#include "config/localisation.h"

#include "platform/codepage.h"
#include "platform/paths.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <set>

namespace fs = std::filesystem;

namespace {

const std::string kDemo = std::string(VELMORA_SOURCE_DIR) + "/demo";

// Every "ui_launcher_..." string literal in the launcher's sources.
std::set<std::string> KeysInSources() {
    const std::regex literal("\"(ui_launcher_[A-Za-z0-9_.]+)\"");
    std::set<std::string> keys;
    for (const char* dir : {"app", "config", "screens", "graphics", "mods", "presence"}) {
        const fs::path root = fs::path(VELMORA_SOURCE_DIR) / dir;
        if (!fs::exists(root)) continue;
        for (const auto& entry : fs::recursive_directory_iterator(root)) {
            const std::string ext = entry.path().extension().string();
            if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            for (std::sregex_iterator it(text.begin(), text.end(), literal), end; it != end; ++it)
                keys.insert((*it)[1].str());
        }
    }
    return keys;
}

// The values of the graphics drop-downs that are shown translated.
const std::vector<std::string> kListValues = {
    "renderer_r1", "renderer_r2", "renderer_r2.5", "renderer_r3", "renderer_r4",
    "st_opt_off", "st_opt_low", "st_opt_medium", "st_opt_high", "st_opt_ultra", "st_opt_extreme",
    "st_opt_always", "st_opt_on_helmet",
    "dtssr_off", "dtssr_lowest", "dtssr_low", "dtssr_medium", "dtssr_high",
    "opt_noaa", "opt_fxaa", "opt_dlaa", "opt_smaa",
    "volumetric", "screen_space", "combine_sunshafts",
    "disabled", "default", "hdao", "hbao", "ssdo",
    "rus", "eng",
};

// Loads one shipped language file alone into a fresh table.
void LoadShipped(const std::string& lang) {
    ResetLocalisationForTesting();
    CurrentLanguage = lang;
    SetGameRootForTesting(kDemo);
    EnsureTextTable();
    SetGameRootForTesting("");
}

std::string ReadShipped(const std::string& lang) {
    std::ifstream in(kDemo + "/LauncherFiles/text/" + lang + "/st_velmora_launcher.xml", std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(LanguageFiles, EveryKeyHasATextInBothLanguages) {
    const std::set<std::string> keys = KeysInSources();
    ASSERT_FALSE(keys.empty()) << "no ui_launcher_ literal found under " << VELMORA_SOURCE_DIR;
    for (const std::string lang : {"rus", "eng"}) {
        SCOPED_TRACE(lang);
        LoadShipped(lang);
        for (const std::string& key : keys) EXPECT_NE(LookupText(key), key) << "missing key " << key;
        for (const std::string& key : kListValues) EXPECT_NE(LookupText(key), key) << "missing value " << key;
    }
    ResetLocalisationForTesting();
}

TEST(LanguageFiles, EncodingsAndLanguageNames) {
    // The Russian file is in Windows-1251, as the engine's own string tables.
    EXPECT_FALSE(IsValidUtf8(ReadShipped("rus")));
    EXPECT_TRUE(IsValidUtf8(ReadShipped("eng")));
    for (const std::string lang : {"rus", "eng"}) {
        SCOPED_TRACE(lang);
        LoadShipped(lang);
        EXPECT_EQ(ToUtf8(LookupText("rus")), "\xD0\xA0\xD1\x83\xD1\x81\xD1\x81\xD0\xBA\xD0\xB8\xD0\xB9");  // Русский
        EXPECT_EQ(ToUtf8(LookupText("eng")), "English");
    }
    // Version labels are followed directly by the number.
    LoadShipped("eng");
    EXPECT_EQ(LookupText("ui_launcher_version_text").back(), ' ');
    EXPECT_EQ(LookupText("ui_launcher_engine_version_text").back(), ' ');
    ResetLocalisationForTesting();
}
