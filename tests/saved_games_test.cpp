// The saves listing: which entries count, their names, their order and the
// date text.
#include "app/startup.h"
#include "screens/saved_games.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace fs = std::filesystem;
using namespace std::chrono;

namespace {

// A file time from a UTC calendar date and time.
fs::file_time_type Utc(int y, unsigned m, unsigned d, int hh, int mm, int ss) {
    const sys_seconds t = sys_days(year(y) / month(m) / day(d)) + hours(hh) + minutes(mm) + seconds(ss);
    return file_clock::from_sys(t);
}

class SavesFolderTest : public ::testing::Test {
protected:
    void SetUp() override { app_data_root = "appdata\\"; }
    // A file in the saves folder written `age` seconds before a fixed moment.
    void Save(const std::string& file, int age) {
        game.Write("appdata/savedgames/" + file, "save");
        fs::last_write_time(game.path() / "appdata/savedgames" / file,
                            Utc(2024, 3, 7, 12, 0, 0) - seconds(age));
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const SavedGame& s : ListSavedGames(SavesFolder())) names.push_back(s.name);
        return names;
    }
    TempGameFolder game;
};

TEST_F(SavesFolderTest, ListsSavesNewestFirstByTheirNames) {
    Save("a.kesp", 30);
    Save("a.dds", 1);          // the preview picture is not a save
    Save("b.kesp", 20);
    Save("x.kesp.bak", 10);    // ".kesp" anywhere: cut at the last dot
    Save("y.savegame", 40);    // ".sav" anywhere
    Save("z.sav", 50);
    Save("notes.txt", 0);
    Save("my save.kesp", 5);   // spaces stay
    fs::create_directories(game.path() / "appdata/savedgames/old.sav");
    fs::last_write_time(game.path() / "appdata/savedgames/old.sav", Utc(2024, 3, 7, 12, 0, 0) - seconds(60));
    EXPECT_EQ(Names(), (std::vector<std::string>{"my save", "x.kesp", "b", "a", "y", "z", "old"}));
}

TEST_F(SavesFolderTest, SameStemWithTwoExtensionsGivesTwoRows) {
    Save("x.kesp", 2);
    Save("x.sav", 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"x", "x"}));
}

TEST_F(SavesFolderTest, MissingFolderAndUnreadableEntriesGiveWhatCanBeRead) {
    EXPECT_TRUE(Names().empty());  // no savedgames folder at all
    Save("good.kesp", 1);
    // A dangling link: its time cannot be read, so it is left out.
    fs::create_symlink(game.path() / "nowhere.kesp", game.path() / "appdata/savedgames/broken.kesp");
    EXPECT_EQ(Names(), (std::vector<std::string>{"good"}));
    // A file where the folder should be cannot be listed.
    app_data_root = "good_file\\";
    game.Write("good_filesavedgames", "not a folder");
    EXPECT_TRUE(Names().empty());
}

struct DateCase {
    const char* tz;
    fs::file_time_type time;
    const char* expected;
};

TEST(FormatSaveTime, LocalTimeWithZeroPaddedFields) {
    const char* old_tz = std::getenv("TZ");
    const std::string saved_tz = old_tz ? old_tz : "";
    const DateCase cases[] = {
        {"UTC0", Utc(2024, 3, 7, 13, 5, 9), "07.03.2024 13:05:09"},
        {"UTC0", Utc(1999, 12, 31, 23, 59, 59), "31.12.1999 23:59:59"},
        // Local time, not UTC: three hours east and five hours west.
        {"MSK-3", Utc(2024, 3, 7, 10, 5, 9), "07.03.2024 13:05:09"},
        {"EST5", Utc(2024, 1, 1, 2, 0, 0), "31.12.2023 21:00:00"},
    };
    for (const DateCase& c : cases) {
        setenv("TZ", c.tz, 1);
        tzset();
        EXPECT_EQ(FormatSaveTime(c.time), c.expected) << c.tz;
    }
    if (old_tz) {
        setenv("TZ", saved_tz.c_str(), 1);
    } else {
        unsetenv("TZ");
    }
    tzset();
}

}  // namespace
