#include <gtest/gtest.h>

#include "config/LibraryPath.h"

using zephyr::IniPathForLibrary;
using zephyr::IniPathResult;
using zephyr::MString;

TEST(LibraryPath, SuffixBecomesIni) {
    struct Case {
        const char* library;
        const char* suffix;
        IniPathResult result;
        const char* ini;
    } cases[] = {
        {"/opt/quote/Zephyr.so", ".so", IniPathResult::kOk, "/opt/quote/Zephyr.ini"},
        {"C:\\quote\\Zephyr.dll", ".dll", IniPathResult::kOk, "C:\\quote\\Zephyr.ini"},
        {"Zephyr.so", ".so", IniPathResult::kOk, "Zephyr.ini"},
        // Only the trailing suffix counts, not an earlier occurrence in a folder name.
        {"/opt/x.so.d/Zephyr.so", ".so", IniPathResult::kOk, "/opt/x.so.d/Zephyr.ini"},
        // Anything else would make the library itself the ini file: refused.
        {"/opt/quote/Zephyr.so.1", ".so", IniPathResult::kNoSuffix, ""},
        {"/opt/quote/Zephyr.SO", ".so", IniPathResult::kNoSuffix, ""},
        {"/opt/quote/Zephyr", ".so", IniPathResult::kNoSuffix, ""},
        {".so", ".so", IniPathResult::kNoSuffix, ""},
        {"", ".so", IniPathResult::kEmptyName, ""},
        {nullptr, ".so", IniPathResult::kEmptyName, ""},
    };
    for (const Case& c : cases) {
        MString ini("stale");
        EXPECT_EQ(IniPathForLibrary(c.library, c.suffix, &ini), c.result)
            << (c.library ? c.library : "(null)");
        EXPECT_STREQ(ini.GetData(), c.ini) << (c.library ? c.library : "(null)");
    }
}

TEST(LibraryPath, WindowsRuleCutsAtTheFirstLowerCaseDll) {
    struct Case {
        const char* library;
        IniPathResult result;
        const char* ini;
    } cases[] = {
        {"C:\\quote\\Zephyr.dll", IniPathResult::kOk, "C:\\quote\\Zephyr.ini"},
        // The first occurrence counts, wherever it stands; what follows it is cut off.
        {"C:\\a.dll.d\\Zephyr.dll", IniPathResult::kOk, "C:\\a.ini"},
        {"C:\\quote\\Zephyr.dll.bak", IniPathResult::kOk, "C:\\quote\\Zephyr.ini"},
        // Upper case is no suffix: refused, as is a name that holds it only at its start.
        {"C:\\QUOTE\\ZEPHYR.DLL", IniPathResult::kNoSuffix, ""},
        {".dll", IniPathResult::kNoSuffix, ""},
        {"", IniPathResult::kEmptyName, ""},
    };
    for (const Case& c : cases) {
        MString ini("stale");
        EXPECT_EQ(IniPathForLibrary(c.library, ".dll", &ini, zephyr::SuffixRule::kFirst), c.result) << c.library;
        EXPECT_STREQ(ini.GetData(), c.ini) << c.library;
    }
}
