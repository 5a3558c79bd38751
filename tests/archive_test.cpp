#include "mods/archive.h"

#include "mods/installed_mods.h"
#include "support/game_folder.h"
#include "support/zip_writer.h"

#include <gtest/gtest.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <random>

namespace fs = std::filesystem;

namespace {

// -----------------------------------------------------------------------------
// Helpers
// -----------------------------------------------------------------------------
bool HaveTool(const std::string& name) { return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0; }

int Shell(const std::string& command) { return std::system((command + " >/dev/null 2>&1").c_str()); }

std::string Python() { return fs::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3"; }

std::string Quote(const fs::path& p) { return "'" + p.string() + "'"; }

// Relative path -> contents ("/" for folders) of everything below root.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
    std::map<std::string, std::string> tree;
    if (!fs::exists(root)) return tree;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        const std::string rel = e.path().lexically_relative(root).generic_string();
        if (e.is_directory()) {
            tree[rel] = "/";
        } else {
            std::ifstream in(e.path(), std::ios::binary);
            tree[rel] = std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        }
    }
    return tree;
}

std::string Pseudorandom(size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    std::string s(size, '\0');
    for (char& c : s) c = static_cast<char>(rng() % 7 == 0 ? rng() : 'a' + rng() % 4);  // some repetition, some noise
    return s;
}

// A mod tree with a text file, a binary file, an empty file and an empty folder.
void WriteSourceTree(const fs::path& root) {
    fs::create_directories(root / "mymod/gamedata/textures");
    fs::create_directories(root / "mymod/empty_folder");
    std::ofstream(root / "mymod/readme.txt") << "A mod for the tests.\r\nSecond line.\n";
    std::ofstream(root / "mymod/gamedata/textures/tex.dds", std::ios::binary) << Pseudorandom(80000, 7);
    std::ofstream(root / "mymod/gamedata/empty.ltx");
}

// The paths where two snapshots differ, for a readable failure message.
std::string Differences(const std::map<std::string, std::string>& got, const std::map<std::string, std::string>& want) {
    std::string diff;
    for (const auto& [path, data] : want) {
        auto it = got.find(path);
        if (it == got.end()) diff += "missing " + path + "\n";
        else if (it->second != data) diff += "differs " + path + "\n";
    }
    for (const auto& [path, data] : got)
        if (!want.count(path)) diff += "extra " + path + "\n";
    return diff;
}

struct ExtractResult {
    bool ok;
    std::string out;  // standard output of the call
};

ExtractResult Extract(const std::string& archive, ExtractProgress* progress = nullptr) {
    testing::internal::CaptureStdout();
    const bool ok = ExtractArchive(archive, progress);
    return {ok, testing::internal::GetCapturedStdout()};
}

class ArchiveTest : public ::testing::Test {
protected:
    fs::path Addons() const { return game.path() / "available_addons"; }
    TempGameFolder game;
};

// -----------------------------------------------------------------------------
// Archives from independent tools, compared with their own extraction
// -----------------------------------------------------------------------------
struct ToolCase {
    const char* what;
    const char* tool;      // needed on PATH
    const char* make;      // shell command run in the source folder; $OUT is the archive
    const char* reference; // shell command extracting $OUT into $REF
};

TEST_F(ArchiveTest, ExtractsLikeTheReferenceTools) {
    // Debian's interpreter: a version manager's shim on PATH may take seconds to start.
    const char* kPython = "$PY -c \"import zipfile,os,sys; z=zipfile.ZipFile(sys.argv[1],'w',zipfile.%s);"
                          "[z.write(os.path.join(d,f)) for d,ds,fs in os.walk('mymod') for f in fs+ds]; z.close()\" $OUT";
    auto python = [&](const char* method) {
        static std::vector<std::string> keep;
        char buf[512];
        std::snprintf(buf, sizeof buf, kPython, method);
        keep.push_back(buf);
        return keep.back().c_str();
    };
    const ToolCase cases[] = {
        {"Info-ZIP deflate", "zip", "zip -qr $OUT mymod", "unzip -q $OUT -d $REF"},
        {"Info-ZIP stored", "zip", "zip -qr0 $OUT mymod", "unzip -q $OUT -d $REF"},
        {"Info-ZIP bzip2", "zip", "zip -qr -Z bzip2 $OUT mymod", "unzip -q $OUT -d $REF"},
        {"Python deflate", "python3", python("ZIP_DEFLATED"), "unzip -q $OUT -d $REF"},
        {"Python bzip2", "python3", python("ZIP_BZIP2"), "unzip -q $OUT -d $REF"},
        {"Python LZMA", "python3", python("ZIP_LZMA"), "7z x -y -o$REF $OUT"},
        {"7z deflate64-free zip", "7z", "7z a -tzip -mx=9 $OUT mymod", "7z x -y -o$REF $OUT"},
    };
    TempDir work;
    WriteSourceTree(work.path() / "src");
    int n = 0;
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(c.what);
        if (!HaveTool(c.tool) || !HaveTool(std::string(c.reference).substr(0, std::string(c.reference).find(' ')))) {
            ADD_FAILURE() << "missing tool for " << c.what << " (scripts/setup installs it)";
            continue;
        }
        const fs::path archive = game.path() / ("case" + std::to_string(n) + ".zip");
        const fs::path ref = work.path() / ("ref" + std::to_string(n++));
        const std::string env = "OUT=" + Quote(archive) + " REF=" + Quote(ref) + " PY=" + Python() + "; ";
        ASSERT_EQ(Shell("cd " + Quote(work.path() / "src") + " && " + env + c.make), 0);
        ASSERT_EQ(Shell(env + c.reference), 0);

        std::error_code ec;
        fs::remove_all(Addons(), ec);
        const ExtractResult r = Extract(archive.filename().string());
        EXPECT_TRUE(r.ok) << r.out;
        EXPECT_FALSE(fs::exists(archive)) << "a complete extraction deletes the archive";
        EXPECT_EQ(Differences(Snapshot(Addons()), Snapshot(ref)), "");
        EXPECT_NE(r.out.find("Extracting: available_addons/mymod/gamedata/textures/tex.dds\n"), std::string::npos)
            << r.out;
    }
}

TEST_F(ArchiveTest, ZstdAndXzEntriesMatchTheOriginalBytes) {
    const std::string big = Pseudorandom(90000, 3);  // more than one 64 KiB block
    ASSERT_TRUE(WriteTestZip("packed.zip", {{"m/z.bin", big, kZipZstd},
                                            {"m/x.bin", big.substr(1000), kZipXz},
                                            {"m/empty_zstd", "", kZipZstd},
                                            {"m/s.txt", "stored", kZipStored}}));
    const ExtractResult r = Extract("packed.zip");
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_EQ(game.Read("available_addons/m/z.bin"), big);
    EXPECT_EQ(game.Read("available_addons/m/x.bin"), big.substr(1000));
    EXPECT_TRUE(fs::exists(Addons() / "m/empty_zstd"));
    EXPECT_EQ(game.Read("available_addons/m/s.txt"), "stored");
}

// -----------------------------------------------------------------------------
// The edge cases of installation
// -----------------------------------------------------------------------------
TEST_F(ArchiveTest, ThreeEntriesLeaveTheCountersAtThreeOfThree) {
    ASSERT_TRUE(WriteTestZip("three.zip", {{"m/", ""}, {"m/a.txt", "a"}, {"m/b.txt", "b"}}));
    std::atomic<int> current{-5}, count{-5};
    ExtractProgress progress{&current, &count};
    const ExtractResult r = Extract("three.zip", &progress);
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_EQ(current.load(), 3);
    EXPECT_EQ(count.load(), 3);
    EXPECT_EQ(r.out, "Extracting: available_addons/m/a.txt\nExtracting: available_addons/m/b.txt\n");
}

TEST_F(ArchiveTest, EmptyArchiveSucceedsAndRebuildsTheList) {
    fs::create_directories(Addons() / "already_there");
    ASSERT_TRUE(WriteTestZip("empty.zip", {}));
    const ExtractResult r = Extract("empty.zip");
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(fs::exists("empty.zip"));
    ASSERT_EQ(installed_mods.size(), 1u);
    EXPECT_EQ(installed_mods[0].name, "already_there");
}

TEST_F(ArchiveTest, FoldersAreCreatedOnDemandAndBackslashesSeparate) {
    ASSERT_TRUE(WriteTestZip("nodirs.zip", {{"m/deep/er/a.txt", "a"}, {"m\\win\\b.txt", "b"}}));
    const ExtractResult r = Extract("nodirs.zip");
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_EQ(game.Read("available_addons/m/deep/er/a.txt"), "a");
    EXPECT_EQ(game.Read("available_addons/m/win/b.txt"), "b");
}

TEST_F(ArchiveTest, LongAndUtf8NamesAreKeptWhole) {
    const std::string long_name = "m/" + std::string(200, 'd') + "/" + std::string(200, 'e') + "/" + std::string(150, 'f');
    const std::string utf8 = "m/\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82.txt";  // "Привет.txt"
    ZipWriterEntry flagged{utf8, "hi", kZipStored};
    flagged.utf8_name = true;
    const std::string oem = "m/\xa2\xae\xa4\xa0.txt";  // not flagged: an old code page, kept as bytes
    ASSERT_TRUE(WriteTestZip("names.zip", {{long_name, "long"}, flagged, {oem, "raw"}}));
    const ExtractResult r = Extract("names.zip");
    EXPECT_TRUE(r.ok) << r.out;
    EXPECT_EQ(game.Read("available_addons/" + long_name), "long");
    EXPECT_EQ(game.Read("available_addons/" + utf8), "hi");
    EXPECT_EQ(game.Read("available_addons/" + oem), "raw");
}

TEST_F(ArchiveTest, ExistingFilesAreReplacedAndExtraFilesKept) {
    game.Write("available_addons/m/a.txt", "old version, longer than the new one");
    game.Write("available_addons/m/extra.txt", "kept");
    ASSERT_TRUE(WriteTestZip("update.zip", {{"m/a.txt", "new"}}));
    EXPECT_TRUE(Extract("update.zip").ok);
    EXPECT_EQ(game.Read("available_addons/m/a.txt"), "new");
    EXPECT_EQ(game.Read("available_addons/m/extra.txt"), "kept");
}

TEST_F(ArchiveTest, NotAZipIsLeftAlone) {
    for (const char* content : {"[mods]\nsome = text\n", ""}) {
        game.Write("mods_descr.ini", content);
        const ExtractResult r = Extract("mods_descr.ini");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.out, "Cannot open zip file mods_descr.ini\n");
        EXPECT_EQ(game.Read("mods_descr.ini"), content);
    }
    EXPECT_EQ(Extract("missing.zip").out, "Cannot open zip file missing.zip\n");
}

TEST_F(ArchiveTest, EncryptedEntryCannotBeOpened) {
    if (!HaveTool("zip")) GTEST_SKIP() << "zip not installed";
    game.Write("src/m/secret.txt", "secret");
    ASSERT_EQ(Shell("cd src && zip -q -P pw ../enc.zip m/secret.txt"), 0);
    const ExtractResult r = Extract("enc.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "Could not open file m/secret.txt in zip\n");
    EXPECT_TRUE(fs::exists("enc.zip"));
    EXPECT_FALSE(fs::exists(Addons() / "m/secret.txt"));
}

TEST_F(ArchiveTest, DamagedDataIsAReadErrorNotASuccess) {
    const std::string data = Pseudorandom(400000, 11);
    ASSERT_TRUE(WriteTestZip("bad.zip", {{"m/a.bin", data, kZipStored}}));
    // Flip a byte far into the stored data: the checksum no longer matches.
    {
        std::fstream f("bad.zip", std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(300000);
        f.put('\x01');
    }
    const ExtractResult r = Extract("bad.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.out.find("reading zip file\n"), std::string::npos) << r.out;
    EXPECT_TRUE(fs::exists("bad.zip"));
}

TEST_F(ArchiveTest, UndeletableArchiveStillSucceedsWithAWarning) {
    fs::create_directories("kept");
    ASSERT_TRUE(WriteTestZip("kept/ro.zip", {{"m/a.txt", "a"}}));
    // Root deletes from read-only folders; the immutable flag stops it instead.
    bool immutable = false;
    if (geteuid() == 0) {
        const int fd = open("kept/ro.zip", O_RDONLY);
        int flags = 0;
        if (fd >= 0 && ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            immutable = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        if (fd >= 0) close(fd);
        if (!immutable) GTEST_SKIP() << "cannot make a file undeletable here";
    } else {
        fs::permissions("kept", fs::perms::owner_read | fs::perms::owner_exec);
    }
    const ExtractResult r = Extract("kept/ro.zip");
    EXPECT_TRUE(r.ok);
    EXPECT_NE(r.out.find("Warning: Could not delete archive file kept/ro.zip\n"), std::string::npos) << r.out;
    EXPECT_EQ(game.Read("available_addons/m/a.txt"), "a");
    if (immutable) {
        const int fd = open("kept/ro.zip", O_RDONLY);
        int flags = 0;
        ioctl(fd, FS_IOC_GETFLAGS, &flags);
        flags &= ~FS_IMMUTABLE_FL;
        ioctl(fd, FS_IOC_SETFLAGS, &flags);
        close(fd);
    }
}

// -----------------------------------------------------------------------------
// Hostile archives change nothing outside available_addons (nor inside it)
// -----------------------------------------------------------------------------
TEST_F(ArchiveTest, HostileArchivesAreRefusedWhole) {
    const std::string outside_abs = (game.path() / "abs_target.txt").string();
    struct Case {
        std::string what;
        std::vector<ZipWriterEntry> entries;
        std::string reported;
    };
    ZipWriterEntry link{"m/link", "../../", kZipStored, 0120777};
    const std::vector<Case> cases = {
        {"parent step", {{"m/ok.txt", "ok"}, {"../x.txt", "evil"}}, "../x.txt"},
        {"parent step inside", {{"m/ok.txt", "ok"}, {"a/../../x.txt", "evil"}}, "a/../../x.txt"},
        // libarchive hands names written with backslashes back with slashes.
        {"backslash parent step", {{"m/ok.txt", "ok"}, {"m\\..\\..\\x.txt", "evil"}}, "m/../../x.txt"},
        {"absolute", {{"m/ok.txt", "ok"}, {outside_abs, "evil"}}, outside_abs},
        {"drive name", {{"m/ok.txt", "ok"}, {"C:\\x.txt", "evil"}}, "C:/x.txt"},
        {"link then a file through it", {{"m/ok.txt", "ok"}, link, {"m/link/x.txt", "evil"}}, "m/link"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::error_code ec;
        fs::remove_all(Addons(), ec);
        fs::create_directories(Addons());
        const auto before = Snapshot(game.path());
        ASSERT_TRUE(WriteTestZip("../hostile.zip", c.entries));  // beside the game folder
        const ExtractResult r = Extract("../hostile.zip");
        EXPECT_FALSE(r.ok);
        EXPECT_EQ(r.out, "Unsafe path in archive: " + c.reported + "\n");
        EXPECT_TRUE(fs::exists("../hostile.zip")) << "a refused archive is kept";
        EXPECT_EQ(Differences(Snapshot(game.path()), before), "");
        EXPECT_FALSE(fs::exists(game.path().parent_path() / "x.txt"));
        fs::remove("../hostile.zip", ec);
    }
}

TEST_F(ArchiveTest, LinkAlreadyOnDiskIsNotWrittenThrough) {
    TempDir outside;
    fs::create_directories(Addons() / "m");
    fs::create_directory_symlink(outside.path(), Addons() / "m/link");
    ASSERT_TRUE(WriteTestZip("through.zip", {{"m/link/x.txt", "evil"}}));
    const ExtractResult r = Extract("through.zip");
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.out, "Unsafe path in archive: m/link/x.txt\n");
    EXPECT_TRUE(fs::is_empty(outside.path()));
}

TEST(MakeDirectoryPath, CreatesEveryFolderOnThePath) {
    TempGameFolder game;
    EXPECT_TRUE(MakeDirectoryPath("a/b\\c/"));
    EXPECT_TRUE(fs::is_directory("a/b/c"));
    EXPECT_TRUE(MakeDirectoryPath("a/b/c"));  // all there already
    game.Write("file", "x");
    EXPECT_FALSE(MakeDirectoryPath("file/sub"));
}

}  // namespace
