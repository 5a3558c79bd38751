#include "mods/installed_mods.h"

#include <gtest/gtest.h>

namespace {

struct Case {
    const char* a;
    const char* b;
    bool less;
};

InstalledMod Mod(const std::string& name) { return InstalledMod{name, name, false}; }

TEST(NaturalLess, OrdersNamesByBytesAndDigitRuns) {
    const Case cases[] = {
        {"Mod1", "mod2", true},     // capital M is a smaller byte
        {"mod2", "mod10", true},    // digit runs compare as numbers
        {"mod10", "mod2", false},
        {"Mod1", "mod10", true},
        {"a1", "a01", true},        // equal numbers: the shorter whole name first
        {"a01", "a1", false},
        {"a1", "a1b", true},        // one name ends: the shorter first
        {"a1b", "a1", false},
        {"abc", "abc", false},
        {"abc", "abd", true},
        {"\x80", "a", true},        // bytes are signed: 0x80 and up sort before ASCII
        {"a", "\x80", false},
        {"\xc3\xa9t\xc3\xa9", "zeta", true},
        {"\xff", "\x80", false},    // -1 is above -128
        {"x4294967296", "x1", true},   // 2^32 wraps to 0
        {"x2147483648", "x0", true},   // 2^31 wraps to the smallest int
        {"x2147483647", "x2147483648", false},
        {"x4294967297", "x1", false},  // wraps to 1: equal numbers, longer name
        {"", "a", true},
        {"a", "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(NaturalLess(Mod(c.a), Mod(c.b)), c.less) << c.a << " < " << c.b;
}

}  // namespace
