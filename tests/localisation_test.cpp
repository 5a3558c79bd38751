#include "config/localisation.h"

#include "config/launcher_settings.h"
#include "platform/codepage.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <optional>
#include <vector>

namespace {

std::string Entry(const std::string& id, const std::string& text) {
    return "\t<string id=\"" + id + "\">\n\t\t<text>" + text + "</text>\n\t</string>\n";
}

std::string Table(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"windows-1251\"?>\n<string_table>\n" + entries + "</string_table>\n";
}

const std::string kLangFile = "st_velmora_launcher.xml";

// Loads `content` as the only language file into a fresh table.
void LoadOnly(const TempGameFolder& game, const std::string& content) {
    game.Write("LauncherFiles/text/rus/" + kLangFile, content);
    ResetLocalisationForTesting();
    EnsureTextTable();
}

struct ParseCase {
    const char* name;
    std::string file;
    std::string key;
    std::string expected;  // the key itself when nothing is stored
};

}  // namespace

TEST(Localisation, FileParsing) {
    const std::vector<ParseCase> cases = {
        {"one word", Table(Entry("ui_launcher_quit", "Quit")), "ui_launcher_quit", "Quit"},
        {"empty text stores nothing", Table(Entry("a", "x") + Entry("ui_launcher_back", "")), "ui_launcher_back",
         "ui_launcher_back"},
        {"entities kept", Table(Entry("k", "Tom &amp; Jerry")), "k", "Tom &amp; Jerry"},
        {"line break and indentation kept", Table(Entry("k", "one\n    two")), "k", "one\n    two"},
        {"CR LF read as LF", "<string id=\"k\"><text>a\r\nb</text></string>", "k", "a\nb"},
        {"spaces at both ends kept", Table(Entry("k", "  Version: ")), "k", "  Version: "},
        {"later entry wins", Table(Entry("k", "first") + Entry("k", "second")), "k", "second"},
        {"tags inside the text kept", Table(Entry("k", "<b>bold</b>")), "k", "<b>bold</b>"},
        {"CDATA not unwrapped", Table(Entry("k", "<![CDATA[x]]>")), "k", "<![CDATA[x]]>"},
        {"root named string* yields its first inner entry", "<stringtable><string id=\"k\"><text>v</text></string>",
         "k", "v"},
        {"entry without id skipped", Table("<string name=\"k\"><text>v</text></string>" + Entry("z", "1")), "k", "k"},
        {"id without closing quote skipped", "<string id=\"k><text>v</text></string>", "k", "k"},
        {"text without closing tag skipped", Table("<string id=\"k\"><text>v</string>" + Entry("z", "1")), "k", "k"},
        {"trailing entry without </string> skipped", Table(Entry("z", "1")) + "<string id=\"k\"><text>v</text>",
         "k", "k"},
        {"text search stays inside its entry",
         Table("<string id=\"k\"></string>" + Entry("j", "other")), "k", "k"},
    };
    TempGameFolder game;
    for (const ParseCase& c : cases) {
        SCOPED_TRACE(c.name);
        LoadOnly(game, c.file);
        EXPECT_EQ(LookupText(c.key), c.expected);
    }
}

TEST(Localisation, NoTableShowsKeysAndRetriesEachFrame) {
    TempGameFolder game;
    EnsureTextTable();  // no language file yet
    EXPECT_EQ(LookupText("ui_launcher_options"), "ui_launcher_options");
    // A file of only unusable entries counts as a failed load too.
    game.Write("LauncherFiles/text/rus/" + kLangFile, Table("<string id=\"k\"><text></text></string>"));
    EnsureTextTable();
    EXPECT_EQ(LookupText("k"), "k");
    // A load while no table exists is not carried out.
    game.Write("LauncherFiles/text/eng/" + kLangFile, Table(Entry("k", "eng")));
    EXPECT_FALSE(LoadLanguageFile(LanguageFilePath("eng")));
    EXPECT_EQ(LookupText("k"), "k");

    game.Write("LauncherFiles/text/rus/" + kLangFile, Table(Entry("k", "rus")));
    EnsureTextTable();
    EXPECT_EQ(LookupText("k"), "rus");
}

TEST(Localisation, SecondFileOnlyReplacesWhatItHolds) {
    TempGameFolder game;
    game.Write("LauncherFiles/text/rus/" + kLangFile, Table(Entry("a", "rus-a") + Entry("b", "rus-b")));
    game.Write("LauncherFiles/text/eng/" + kLangFile, Table(Entry("a", "eng-a")));
    EnsureTextTable();
    EXPECT_TRUE(LoadLanguageFile(LanguageFilePath("eng")));
    EXPECT_EQ(LookupText("a"), "eng-a");
    EXPECT_EQ(LookupText("b"), "rus-b");
    // A missing file leaves the table as it was.
    EXPECT_FALSE(LoadLanguageFile(LanguageFilePath("deu")));
    EXPECT_EQ(LookupText("a"), "eng-a");
}

TEST(Localisation, BothEncodingsDrawAsUtf8) {
    TempGameFolder game;
    // "Выход" in Windows-1251 and in UTF-8.
    const std::string cp1251 = "\xC2\xFB\xF5\xEE\xE4";
    const std::string utf8 = "\xD0\x92\xD1\x8B\xD1\x85\xD0\xBE\xD0\xB4";
    game.Write("LauncherFiles/text/rus/" + kLangFile, Table(Entry("ui_launcher_quit", cp1251)));
    game.Write("LauncherFiles/text/ukr/" + kLangFile, Table(Entry("ui_launcher_back", utf8)));
    EnsureTextTable();
    ASSERT_TRUE(LoadLanguageFile(LanguageFilePath("ukr")));
    EXPECT_EQ(LookupText("ui_launcher_quit"), cp1251);  // kept as stored
    EXPECT_EQ(ToUtf8(LookupText("ui_launcher_quit")), utf8);
    EXPECT_EQ(ToUtf8(LookupText("ui_launcher_back")), utf8);
}

TEST(Localisation, ToUtf8Conversions) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", ""},
        {"plain ASCII", "plain ASCII"},
        {"\xB8\xEB\xEA\xE0", "\xD1\x91\xD0\xBB\xD0\xBA\xD0\xB0"},  // "ёлка"
        {"\xB9 5", "\xE2\x84\x96 5"},                               // "№ 5"
        {"\xD0\x96", "\xD0\x96"},                                   // UTF-8 "Ж" passes
        {"\xC0\x80", "\xD0\x90\xD0\x82"},                           // overlong NUL is no UTF-8: "АЂ"
        {"\xED\xA0\x80", "\xD0\xBD\xC2\xA0\xD0\x82"},               // UTF-8 surrogate is no UTF-8
        {"a\x98" "b", "a\xEF\xBF\xBD" "b"},                         // the one unmapped byte
    };
    for (const auto& [in, out] : cases) {
        SCOPED_TRACE(in);
        EXPECT_EQ(ToUtf8(in), out);
        EXPECT_TRUE(IsValidUtf8(ToUtf8(in)));
    }
}

TEST(Localisation, DiscoverLanguages) {
    TempGameFolder game;
    EXPECT_EQ(DiscoverLanguages(), std::vector<std::string>{"eng"});  // no folder at all

    game.Write("LauncherFiles/text/empty/readme.txt", "no language file");
    game.Write("LauncherFiles/text/stray.xml", "a file, not a folder");
    EXPECT_EQ(DiscoverLanguages(), std::vector<std::string>{"eng"});

    game.Write("LauncherFiles/text/rus/" + kLangFile, Table(Entry("k", "v")));
    game.Write("LauncherFiles/text/deu/" + kLangFile, Table(Entry("k", "v")));
    std::vector<std::string> langs = DiscoverLanguages();
    std::sort(langs.begin(), langs.end());  // listing order is the file system's
    EXPECT_EQ(langs, (std::vector<std::string>{"deu", "rus"}));
}

TEST(Localisation, SelectorStartPosition) {
    struct Case {
        std::vector<std::string> list;
        std::string current;
        int expected;
    };
    const std::vector<Case> cases = {
        {{"eng", "rus"}, "rus", 1},
        {{"eng", "rus"}, "eng", 0},
        {{"eng", "deu"}, "rus", 0},
        {{"eng", "rus"}, "ukr", 1},
        {{"eng"}, "ukr", 1},  // beyond the end: no selection
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.current);
        EXPECT_EQ(InitialLanguagePosition(c.list, c.current), c.expected);
    }
}

TEST(Localisation, ChangeLanguageRecordsAndLoads) {
    TempGameFolder game;
    game.Write("launcher.ini", "; my comment\n[launcher_options]\nlanguage = rus\n");
    game.Write("LauncherFiles/text/rus/" + kLangFile, Table(Entry("a", "rus-a") + Entry("b", "rus-b")));
    game.Write("LauncherFiles/text/eng/" + kLangFile, Table(Entry("a", "eng-a")));
    EnsureTextTable();
    std::optional<IniFile> store = ReadLauncherSettings();
    ASSERT_TRUE(store);

    ChangeLanguage(*store, "eng");
    EXPECT_EQ(CurrentLanguage, "eng");
    EXPECT_EQ(LookupText("a"), "eng-a");
    EXPECT_EQ(LookupText("b"), "rus-b");
    EXPECT_EQ(game.Read("launcher.ini"), "[launcher_options]\nlanguage = eng\n\n");
}
