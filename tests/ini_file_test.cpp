#include "config/ini_file.h"

#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

namespace {

// The store flattened into (section, key) -> value, for comparing whole stores.
using Flat = std::map<std::pair<std::string, std::string>, std::string>;

Flat Flatten(const IniFile& ini) {
    Flat flat;
    for (const std::string& name : ini.SectionNames())
        for (const auto& [key, value] : ini.GetSection(name)) flat[{name, key}] = value;
    return flat;
}

IniFile LoadText(const TempDir& dir, const std::string& text) {
    const std::string path = (dir.path() / "in.ini").string();
    std::ofstream(path, std::ios::binary) << text;
    IniFile ini;
    EXPECT_TRUE(ini.Load(path));
    return ini;
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct LineCase {
    const char* name;
    std::string text;
    Flat expected;
};

}  // namespace

TEST(IniFile, LineRules) {
    const std::vector<LineCase> cases = {
        {"only comments, blanks and keys before any header", "; c\n# c\n\nk = v\n", {}},
        {"indented comment", "[s]\n  ; k = v\nx = 1\n", {{{"s", "x"}, "1"}}},
        {"spaces inside the header brackets", "[  launcher_options  ]\nk = v\n", {{{"launcher_options", "k"}, "v"}}},
        {"empty header ignores the keys after it", "[s]\na = 1\n[]\nb = 2\n[ \t ]\nc = 3\n", {{{"s", "a"}, "1"}}},
        {"quoted value", "[s]\nk = \"a b\"\n", {{{"s", "k"}, "a b"}}},
        {"empty quotes", "[s]\nk = \"\"\n", {{{"s", "k"}, ""}}},
        {"single quote character kept", "[s]\nk = \"\n", {{{"s", "k"}, "\""}}},
        {"text inside quotes not trimmed", "[s]\nk = \" a \"\n", {{{"s", "k"}, " a "}}},
        {"only one pair of quotes removed", "[s]\nk = \"\"x\"\"\n", {{{"s", "k"}, "\"x\""}}},
        {"first = splits", "[s]\na = b=c\n", {{{"s", "a"}, "b=c"}}},
        {"inline ; is text", "[s]\nname = value ; comment\n", {{{"s", "name"}, "value ; comment"}}},
        {"keys are case-sensitive", "[s]\nKey = 1\nkey = 2\n", {{{"s", "Key"}, "1"}, {{"s", "key"}, "2"}}},
        {"last occurrence wins", "[s]\nk = 1\nk = 2\n", {{{"s", "k"}, "2"}}},
        {"repeated header merges", "[a]\nx = 1\n[b]\ny = 2\n[a]\nz = 3\n",
         {{{"a", "x"}, "1"}, {{"b", "y"}, "2"}, {{"a", "z"}, "3"}}},
        {"header without keys makes no section", "[a]\n[b]\nk = v\n", {{{"b", "k"}, "v"}}},
        {"line without = ignored", "[s]\njust text\nk=v\n", {{{"s", "k"}, "v"}}},
        {"empty key stored under empty string", "[s]\n = v\n", {{{"s", ""}, "v"}}},
        {"CR LF line ends", "[s]\r\nk = v\r\nq = \"x\"\r\n", {{{"s", "k"}, "v"}, {{"s", "q"}, "x"}}},
        {"last line without line feed", "[s]\nk = v", {{{"s", "k"}, "v"}}},
        {"bytes above 0x7F are not whitespace", "[s]\nk = \xA0v\xA0\n", {{{"s", "k"}, "\xA0v\xA0"}}},
        {"bracket line not closed is a key line", "[s]\n[x = 1\n", {{{"s", "[x"}, "1"}}},
    };
    TempDir dir;
    for (const LineCase& c : cases) {
        SCOPED_TRACE(c.name);
        IniFile ini = LoadText(dir, c.text);
        EXPECT_EQ(Flatten(ini), c.expected);
    }
}

TEST(IniFile, HeaderAloneDoesNotCreateSection) {
    TempDir dir;
    IniFile ini = LoadText(dir, "[a]\n; nothing\n");
    EXPECT_FALSE(ini.HasSection("a"));
    EXPECT_TRUE(ini.SectionNames().empty());
    EXPECT_THROW(ini.GetSection("a"), std::out_of_range);
}

TEST(IniFile, GetBoolWords) {
    const std::vector<std::pair<std::string, std::optional<bool>>> cases = {
        {"YES", true}, {"True", true}, {"1", true}, {"yes", true},
        {"no", false}, {"FALSE", false}, {"0", false},
        {"on", std::nullopt}, {"2", std::nullopt}, {"", std::nullopt}, {"yes ", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        SCOPED_TRACE("value '" + text + "'");
        IniFile ini;
        ini.SetValue("s", "k", text);
        for (bool def : {false, true}) EXPECT_EQ(ini.GetBool("s", "k", def), expected.value_or(def));
    }
    IniFile empty;
    EXPECT_TRUE(empty.GetBool("s", "missing", true));
    EXPECT_EQ(empty.GetString("s", "missing", "dflt"), "dflt");
}

TEST(IniFile, SaveLayoutAndRoundTrip) {
    TempDir dir;
    const std::string path = (dir.path() / "out.ini").string();

    IniFile one;
    one.SetValue("s", "k", "v");
    one.Save(path);
    EXPECT_EQ(ReadBytes(path), "[s]\nk = v\n\n");

    // Insertion order is kept, a replaced value keeps its key's place, and a
    // quoted value set from code is written as given and loses its quotes on
    // the way back.
    IniFile ini;
    ini.SetValue("zeta", "b", "2");
    ini.SetValue("alpha", "q", "\"x\"");
    ini.SetValue("zeta", "a", "1");
    ini.SetValue("zeta", "b", "3");
    ini.Save(path);
    EXPECT_EQ(ReadBytes(path), "[zeta]\nb = 3\na = 1\n\n[alpha]\nq = \"x\"\n\n");

    IniFile back;
    ASSERT_TRUE(back.Load(path));
    EXPECT_EQ(back.GetString("alpha", "q", ""), "x");
    EXPECT_EQ(back.SectionNames(), (std::vector<std::string>{"zeta", "alpha"}));

    // Saving what was loaded writes the same bytes again.
    const std::string path2 = (dir.path() / "out2.ini").string();
    back.SetValue("alpha", "q", "\"x\"");
    back.Save(path2);
    EXPECT_EQ(ReadBytes(path2), ReadBytes(path));
}

TEST(IniFile, LoadOfMissingOrUnreadablePathKeepsStore) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder.ini");
    for (const std::string name : {"missing.ini", "folder.ini"}) {
        SCOPED_TRACE(name);
        IniFile ini;
        ini.SetValue("s", "k", "v");
        EXPECT_FALSE(ini.Load((dir.path() / name).string()));
        EXPECT_EQ(ini.GetString("s", "k", ""), "v");
    }
}

TEST(IniFile, LoadReplacesEarlierContents) {
    TempDir dir;
    IniFile ini = LoadText(dir, "[a]\nx = 1\n");
    const std::string path = (dir.path() / "in.ini").string();
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "[b]\ny = 2\n";
    ASSERT_TRUE(ini.Load(path));
    EXPECT_FALSE(ini.HasSection("a"));
    EXPECT_EQ(ini.GetString("b", "y", ""), "2");
}

TEST(IniFile, SaveOfEmptyStoreLeavesZeroBytes) {
    TempDir dir;
    const std::string path = (dir.path() / "empty.ini").string();
    std::ofstream(path, std::ios::binary) << "[old]\nk = v\n";
    IniFile().Save(path);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(std::filesystem::file_size(path), 0u);
}

TEST(IniFile, BackslashPathsReachTheFileSystem) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "sub");
    IniFile ini;
    ini.SetValue("s", "k", "v");
    ini.Save(dir.path().string() + "\\sub\\x.ini");
    EXPECT_EQ(ReadBytes((dir.path() / "sub" / "x.ini").string()), "[s]\nk = v\n\n");
}
