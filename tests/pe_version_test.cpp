// The PE version reader, on executables made by a real toolchain (mingw-w64
// binutils) and on damaged copies of them.
#include "platform/pe_version.h"
#include "screens/version_check.h"
#include "support/game_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

namespace fs = std::filesystem;

namespace {

const char* const kWindres = "/usr/bin/x86_64-w64-mingw32-windres";
const char* const kLinker = "/usr/bin/x86_64-w64-mingw32-ld";

std::string ReadFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// Links an executable whose version resource holds the given product (and a
// different file) version. Empty when the toolchain failed.
std::string MakeExecutable(const fs::path& dir, const std::string& product_version, bool with_version = true) {
    std::string rc;
    if (with_version) {
        rc = "1 VERSIONINFO\n"
             "FILEVERSION 9,8,7,6\n"
             "PRODUCTVERSION " + product_version + "\n"
             "BEGIN\n"
             "  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040904b0\"\n    BEGIN\n"
             "      VALUE \"ProductName\", \"Halcyon\"\n"
             "    END\n  END\n"
             "  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x409, 1200\n  END\n"
             "END\n";
    } else {
        rc = "2 RCDATA\nBEGIN\n  \"not a version\"\nEND\n";
    }
    WriteFile(dir / "v.rc", rc);
    const std::string d = dir.string();
    // Newer windres reads the script as it is; binutils 2.40 has no such
    // switch and needs a preprocessor (the script uses no directives, so the
    // host's cpp serves).
    const std::string rc_to_obj = "'" + d + "/v.rc' -O coff -o '" + d + "/v.o'";
    const std::string cmd = "{ " + std::string(kWindres) + " --no-preprocess " + rc_to_obj + " 2>/dev/null || " +
                            kWindres + " --preprocessor=cpp " + rc_to_obj + "; } && " + kLinker +
                            " -e 0 --subsystem windows '" + d + "/v.o' -o '" + d + "/v.exe'";
    if (std::system(cmd.c_str()) != 0) return std::string();
    return ReadFile(dir / "v.exe");
}

class PeVersionTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!fs::exists(kWindres) || !fs::exists(kLinker)) GTEST_SKIP() << "binutils-mingw-w64-x86-64 missing";
    }
    TempDir dir;
};

struct VersionCase {
    const char* rc_version;
    ProductVersion parts;
    const char* text;
};

TEST_F(PeVersionTest, ProductVersionOfRealExecutables) {
    const VersionCase cases[] = {
        {"1,6,0,2", {1, 6, 0, 2}, "1.6.02"},
        {"2,1,3,14", {2, 1, 3, 14}, "2.1.314"},
        {"65535,0,0,65535", {65535, 0, 0, 65535}, "65535.0.065535"},
    };
    for (const VersionCase& c : cases) {
        const std::string exe = MakeExecutable(dir.path(), c.rc_version);
        ASSERT_FALSE(exe.empty()) << c.rc_version;
        EXPECT_EQ(ReadProductVersion(exe), c.parts) << c.rc_version;
        // The file reader seeks instead of loading the file; same answer.
        EXPECT_EQ(ReadEngineVersion((dir.path() / "v.exe").string()), c.text);
    }
}

TEST_F(PeVersionTest, FilesWithoutAVersionGiveTheEmptyText) {
    const std::string no_version = MakeExecutable(dir.path(), "", false);
    ASSERT_FALSE(no_version.empty());
    EXPECT_EQ(ReadProductVersion(no_version), std::nullopt);

    const std::pair<const char*, std::string> files[] = {
        {"empty.exe", ""},
        {"text.exe", "#!/bin/sh\necho not a program\n"},
        {"mz-only.exe", "MZ"},
        {"elf.exe", ReadFile(VELMORA_STUB_ENGINE)},
    };
    for (const auto& [name, bytes] : files) {
        WriteFile(dir.path() / name, bytes);
        EXPECT_EQ(ReadEngineVersion((dir.path() / name).string()), "") << name;
    }
    EXPECT_EQ(ReadEngineVersion((dir.path() / "missing.exe").string()), "");
}

// Offset of VS_FIXEDFILEINFO in the file (found by its signature).
size_t FixedInfoOffset(const std::string& exe) {
    static const std::string kSignature("\xBD\x04\xEF\xFE", 4);
    return exe.find(kSignature);
}

TEST_F(PeVersionTest, TruncatedCopiesGiveNothing) {
    const std::string exe = MakeExecutable(dir.path(), "1,6,0,2");
    ASSERT_FALSE(exe.empty());
    const size_t fixed = FixedInfoOffset(exe);
    ASSERT_NE(fixed, std::string::npos);
    // Every prefix that ends before the product version is complete.
    for (size_t len = 0; len < fixed + 24; ++len) {
        EXPECT_EQ(ReadProductVersion(exe.substr(0, len)), std::nullopt) << len;
    }
}

TEST_F(PeVersionTest, CorruptedOffsetsGiveNothingOrTheTruth) {
    const std::string exe = MakeExecutable(dir.path(), "1,6,0,2");
    ASSERT_FALSE(exe.empty());
    uint32_t pe = 0;
    std::memcpy(&pe, exe.data() + 0x3C, 4);
    ASSERT_LT(pe + 4u, exe.size());

    // Named damage to the fields the walk trusts.
    struct Damage {
        const char* what;
        size_t offset;
        uint32_t value;
    };
    const Damage damages[] = {
        {"e_lfanew beyond the file", 0x3C, 0x7FFFFFF0u},
        {"e_lfanew at the end", 0x3C, static_cast<uint32_t>(exe.size() - 2)},
        {"PE signature", pe, 0x00004551u},
        {"section count huge", pe + 6, 0xFFFFu},
        {"optional header size huge", pe + 20, 0xFFFFu},
        {"directory count zero", pe + 24 + 108, 0},
        {"resource rva far away", pe + 24 + 112 + 16, 0xFFFFFF00u},
    };
    for (const Damage& d : damages) {
        std::string bad = exe;
        const size_t width = (d.what == std::string("section count huge") ||
                              d.what == std::string("optional header size huge"))
                                 ? 2
                                 : 4;
        std::memcpy(bad.data() + d.offset, &d.value, width);
        EXPECT_EQ(ReadProductVersion(bad), std::nullopt) << d.what;
    }

    // Any single byte set to 0xFF, 0 or 0x80: the reader answers the true
    // version or nothing, unless the byte is part of the product version
    // itself; and it never reads outside the data (the ASan build checks).
    const size_t fixed = FixedInfoOffset(exe);
    ASSERT_NE(fixed, std::string::npos);
    for (size_t i = 0; i < exe.size(); ++i) {
        if (i >= fixed + 16 && i < fixed + 24) continue;
        for (const char value : {'\xFF', '\0', '\x80'}) {
            std::string bad = exe;
            bad[i] = value;
            const auto v = ReadProductVersion(bad);
            if (v) EXPECT_EQ(*v, (ProductVersion{1, 6, 0, 2})) << "byte " << i;
        }
    }
}

}  // namespace
