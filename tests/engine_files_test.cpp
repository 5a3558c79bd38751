// fsgame.ltx aliases and user.ltx settings, on temporary files.
#include "config/engine_files.h"

#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <filesystem>
#include <unistd.h>
#include <functional>
#include <iterator>
#include <stdexcept>

namespace {

std::string WriteTemp(const TempDir& dir, const std::string& name, const std::string& content) {
    const std::string path = (dir.path() / name).string();
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

struct AliasCase {
    const char* what;
    const char* fsgame;
    const char* alias;
    const char* expected;  // nullptr: no entry
};

const AliasCase kAliasCases[] = {
    {"alias defined above",
     "$app_data_root$ = true|false|$fs_root$|appdata\\\n$mod_dir$ = true|false|$app_data_root$|mods\\\n", "$mod_dir$",
     "appdata\\mods\\"},
    {"alias defined below resolves to nothing",
     "$mod_dir$ = true|false|$app_data_root$|mods\\\n$app_data_root$ = true|false|$fs_root$|appdata\\\n", "$mod_dir$",
     "mods\\"},
    {"undefined root alias leaves the folder", "$app_data_root$ = true| false| $fs_root$| appdata\\\n",
     "$app_data_root$", "appdata\\"},
    {"literal root alone", "$game$ = true|false|C:\\games\\\n", "$game$", "C:\\games\\"},
    {"only the two flags store nothing", "$x$ = true|false\n", "$x$", nullptr},
    {"trailing bar adds no field", "$x$ = true|false|\n", "$x$", nullptr},
    {"several fields are joined", "$x$ = a|b|root\\|sub\\|leaf\\\n", "$x$", "root\\sub\\leaf\\"},
    {"leading space before ; is not a comment", " ;$x$ = true|false|root\\\n", ";$x$", "root\\"},
    {"comment line", ";$x$ = true|false|root\\\n", ";$x$", nullptr},
    {"spaces and CR around fields", "  $x$  =  true  |  false  |  root\\  |  sub\\  \r\n", "$x$", "root\\sub\\"},
    {"empty alias name skipped", " = true|false|root\\\n", "", nullptr},
    {"later line replaces", "$x$ = a|b|one\\\n$x$ = a|b|two\\\n", "$x$", "two\\"},
    {"later empty result keeps earlier", "$x$ = a|b|one\\\n$x$ = a|b\n", "$x$", "one\\"},
    {"no equals sign", "$x$ true|false|root\\\n", "$x$ true|false|root\\", nullptr},
    {"first equals splits", "$x$ = a|b|r=1\\\n", "$x$", "r=1\\"},
};

TEST(LoadPathAliases, ResolvesLinesInOnePassFromTheTop) {
    TempDir dir;
    for (const AliasCase& c : kAliasCases) {
        SCOPED_TRACE(c.what);
        const PathAliases aliases = LoadPathAliases(WriteTemp(dir, "fsgame.ltx", c.fsgame));
        auto it = aliases.find(c.alias);
        if (c.expected == nullptr) {
            EXPECT_EQ(it, aliases.end());
        } else {
            ASSERT_NE(it, aliases.end());
            EXPECT_EQ(it->second, c.expected);
        }
    }
}

TEST(LoadPathAliases, MissingFileNamesThePath) {
    TempDir dir;
    const std::string path = (dir.path() / "nope" / "fsgame.ltx").string();
    try {
        LoadPathAliases(path);
        FAIL() << "expected an error";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Could not open file: " + path);
    }
}

struct ReadCase {
    const char* what;
    const char* content;
    const char* name;
    const char* value;
    float as_float;
    int as_int;
    bool as_switch;
    bool as_bit;
};

const ReadCase kReadCases[] = {
    {"float with trailing dot", "cam_fov 55.\r\n", "cam_fov", "55.", 55.0f, 55, false, false},
    {"whole text without spaces", "r2_dof -1.250000,1.400000,10000.000000\n", "r2_dof",
     "-1.250000,1.400000,10000.000000", -1.25f, -1, false, false},
    {"two spaces give an empty value", "cam_fov  55.\n", "cam_fov", "", 0.0f, 0, false, false},
    {"name is case-sensitive", "Cam_fov 55.\n", "cam_fov", "", 0.0f, 0, false, false},
    {"only the second word", "snd_device OpenAL Soft\n", "snd_device", "OpenAL", 0.0f, 0, false, false},
    {"first line wins", "x 1\nx 2\n", "x", "1", 1.0f, 1, false, true},
    {"switch is on only for on", "a on\nb 1\nc true\n", "a", "on", 0.0f, 0, true, false},
    {"1 is not a switch", "b 1\n", "b", "1", 1.0f, 1, false, true},
    {"on is not a bit", "b on\n", "b", "on", 0.0f, 0, true, false},
    {"missing setting", "a 1\n", "zzz", "", 0.0f, 0, false, false},
    {"line without value", "default_controls\nx 3\n", "default_controls", "", 0.0f, 0, false, false},
    {"last line without line feed", "a 1\nb 7", "b", "7", 7.0f, 7, false, false},
};

TEST(UserLtx, ReadersFollowTheLineForm) {
    TempDir dir;
    for (const ReadCase& c : kReadCases) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteTemp(dir, "user.ltx", c.content);
        EXPECT_EQ(ReadUserValue(c.name, path), c.value);
        EXPECT_FLOAT_EQ(ReadUserFloat(c.name, path), c.as_float);
        EXPECT_EQ(ReadUserInt(c.name, path), c.as_int);
        EXPECT_EQ(ReadUserSwitch(c.name, path), c.as_switch);
        EXPECT_EQ(ReadUserBit(c.name, path), c.as_bit);
        EXPECT_EQ(FindUserValue(c.content, c.name), c.value);
    }
}

TEST(UserLtx, MissingFileReadsEmpty) {
    TempDir dir;
    const std::string path = (dir.path() / "user.ltx").string();
    EXPECT_EQ(ReadUserValue("cam_fov", path), "");
    EXPECT_EQ(ReadUserFloat("cam_fov", path), 0.0f);
    EXPECT_FALSE(ReadUserSwitch("rs_fullscreen", path));
}

TEST(UserLtx, WritersRewriteEveryMatchingLine) {
    struct WriteCase {
        const char* what;
        const char* before;
        std::function<void(const std::string&)> write;
        const char* after;
    };
    const WriteCase cases[] = {
        {"float", "a 1\r\ncam_fov 55.\r\nz 2\r\n", [](const std::string& p) { WriteUserFloat("cam_fov", 67.5f, p); },
         "a 1\ncam_fov 67.500000\nz 2\n"},
        {"int", "r3_reflections_dist 300.\n", [](const std::string& p) { WriteUserInt("r3_reflections_dist", 300, p); },
         "r3_reflections_dist 300\n"},
        {"negative int", "x 1\n", [](const std::string& p) { WriteUserInt("x", -4, p); }, "x -4\n"},
        {"switch on/off", "s off\nt on\n",
         [](const std::string& p) {
             WriteUserSwitch("s", true, p);
             WriteUserSwitch("t", false, p);
         },
         "s on\nt off\n"},
        {"bit", "b 0\n", [](const std::string& p) { WriteUserBit("b", true, p); }, "b 1\n"},
        {"both lines of a duplicate", "x 1\ny 2\nx 3\n", [](const std::string& p) { WriteUserValue("x", "9", p); },
         "x 9\ny 2\nx 9\n"},
        {"missing setting is not added; last line gains a line feed", "a 1\nb 2",
         [](const std::string& p) { WriteUserValue("msaa", "4x", p); }, "a 1\nb 2\n"},
        {"line without value is not a match", "default_controls\n",
         [](const std::string& p) { WriteUserValue("default_controls", "x", p); }, "default_controls\n"},
        {"two spaces still match the name", "cam_fov  55.\n",
         [](const std::string& p) { WriteUserFloat("cam_fov", 60.0f, p); }, "cam_fov 60.000000\n"},
        {"case differs", "Cam_fov 55.\n", [](const std::string& p) { WriteUserFloat("cam_fov", 60.0f, p); },
         "Cam_fov 55.\n"},
    };
    TempDir dir;
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = WriteTemp(dir, "user.ltx", c.before);
        c.write(path);
        EXPECT_EQ(ReadAll(path), c.after);
    }
}

TEST(UserLtx, WritingToMissingFileLeavesItEmpty) {
    TempDir dir;
    const std::string path = (dir.path() / "user.ltx").string();
    WriteUserFloat("cam_fov", 60.0f, path);
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in.good());
    EXPECT_EQ(ReadAll(path), "");
}

TEST(UserLtx, UnreadableFileIsNotEmptiedByAWrite) {
    if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
    TempDir dir;
    const std::string path = WriteTemp(dir, "user.ltx", "cam_fov 55.\n");
    std::filesystem::permissions(path, std::filesystem::perms::owner_write);
    WriteUserFloat("cam_fov", 60.0f, path);
    std::filesystem::permissions(path, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    EXPECT_EQ(ReadAll(path), "cam_fov 55.\n");
}

TEST(UserLtx, WriteLeavesNoTemporaryFileBehind) {
    TempDir dir;
    const std::string path = WriteTemp(dir, "user.ltx", "cam_fov 55.\n");
    WriteUserFloat("cam_fov", 60.0f, path);
    EXPECT_EQ(ReadAll(path), "cam_fov 60.000000\n");
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
}

TEST(UserLtx, BackslashPathsReachTheFileSystem) {
    TempDir dir;
    WriteTemp(dir, "user.ltx", "cam_fov 55.\n");
    const std::string windows_style = dir.path().string() + "\\user.ltx";
    EXPECT_EQ(ReadUserValue("cam_fov", windows_style), "55.");
}

}  // namespace
