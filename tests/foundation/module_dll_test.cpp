#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <string>

#include "foundation/MDll.h"
#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MModule.h"
#include "portable/Library.h"

using namespace zephyr;

namespace {

// A library of the system that has cos().
#ifdef _WIN32
constexpr const char* kMathLibrary = "msvcrt.dll";
#else
constexpr const char* kMathLibrary = "libm.so.6";
#endif

// The folder this test program was built into.
const std::filesystem::path kProgramFolder = ZEPHYR_BINARY_DIR "/tests";

bool EndsWithSeparator(const MString& directory) {
    const char last = directory.IsEmpty() ? '\0' : directory.GetData()[directory.GetLength() - 1];
    return last == '/' || last == '\\';
}

int LocalFunction() { return 1; }

}  // namespace

TEST(MModule, DirectoryOfPathKeepsTheLastSeparator) {
    struct Case {
        const char* path;
        const char* directory;
    } cases[] = {
        {"/opt/quote/Zephyr.so", "/opt/quote/"},
        {"C:\\quote\\Zephyr.dll", "C:\\quote\\"},
        {"/mixed\\dir/file", "/mixed\\dir/"},
        {"/file", "/"},
        {"dir/", "dir/"},
        {"file", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MModule::DirectoryOfPath(c.path), c.directory) << c.path;
    }
    EXPECT_EQ(MModule::DirectoryOfPath(nullptr), "");
}

TEST(MModule, ExecutableAndAddressDirectories) {
    // The system names the folder in its own form (a drive and "\\" on Windows): it must be
    // the very folder the program was built into, given absolutely, with its separator kept.
    const MString directory = MModule::GetDirectory(nullptr);
    ASSERT_FALSE(directory.IsEmpty());
    EXPECT_TRUE(EndsWithSeparator(directory)) << directory.GetData();
    const std::filesystem::path found = std::filesystem::path(directory.GetData()).parent_path();
    EXPECT_TRUE(found.is_absolute()) << directory.GetData();
    EXPECT_TRUE(std::filesystem::equivalent(found, kProgramFolder)) << directory.GetData();
    // An address inside the executable names the executable's directory.
    EXPECT_EQ(MModule::GetDirectoryOf(reinterpret_cast<const void*>(&LocalFunction)), directory);
    EXPECT_EQ(MModule::GetDirectoryOf(nullptr), "");
    EXPECT_EQ(MModule::GetDirectory(portable::ProgramHandle()), directory);
    // Its file, as the loader names it, lies in that folder.
    const MString file = MModule::FileOf(reinterpret_cast<const void*>(&LocalFunction));
    EXPECT_FALSE(file.IsEmpty());
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(file.GetData()).parent_path(), kProgramFolder))
        << file.GetData();
    EXPECT_TRUE(MModule::FileOf(nullptr).IsEmpty());
}

TEST(MDll, LoadResolveAndRelease) {
    MDll library;
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.GetFunction("cos"), nullptr);
    ASSERT_EQ(library.Load(kMathLibrary), 1);
    EXPECT_TRUE(library.IsLoaded());
    using Cos = double (*)(double);
    Cos cosine = reinterpret_cast<Cos>(library.GetFunction("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.GetFunction("no_such_symbol_here"), nullptr);

    // The directory of a loaded library holds that library.
    const MString directory = MModule::GetDirectory(library.GetHandle());
    ASSERT_FALSE(directory.IsEmpty());
    EXPECT_TRUE(EndsWithSeparator(directory)) << directory.GetData();
    EXPECT_EQ(MModule::GetDirectoryOf(reinterpret_cast<const void*>(cosine)), directory);

    library.Release();
    EXPECT_FALSE(library.IsLoaded());
    library.Release();

    EXPECT_LT(library.Load("/nonexistent/nimbus.so"), 0);
    EXPECT_NE(std::string(library.GetError()), "");
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Load(""), ERR_BAD_ARGUMENT);
}
