#include <gtest/gtest.h>

#include <dlfcn.h>
#include <unistd.h>

#include <cmath>
#include <string>

#include "foundation/MDll.h"
#include "foundation/MErrorCode.h"
#include "foundation/MFile.h"
#include "foundation/MModule.h"

using namespace zephyr;

namespace {

std::string ExecutablePath() {
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof(path) - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
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
    const std::string exe = ExecutablePath();
    const std::string expected = exe.substr(0, exe.rfind('/') + 1);
    ASSERT_FALSE(expected.empty());
    const MString directory = MModule::GetDirectory(nullptr);
    EXPECT_EQ(directory, expected.c_str());
    EXPECT_EQ(directory.GetData()[directory.GetLength() - 1], '/');
    // An address inside the executable names the executable's directory.
    EXPECT_EQ(MModule::GetDirectoryOf(reinterpret_cast<const void*>(&LocalFunction)),
              expected.c_str());
    EXPECT_EQ(MModule::GetDirectoryOf(nullptr), "");
    EXPECT_EQ(MModule::GetDirectory(dlopen(nullptr, RTLD_NOW)), expected.c_str());
}

TEST(MDll, LoadResolveAndRelease) {
    MDll library;
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.GetFunction("cos"), nullptr);
    ASSERT_EQ(library.Load("libm.so.6"), 1);
    EXPECT_TRUE(library.IsLoaded());
    using Cos = double (*)(double);
    Cos cosine = reinterpret_cast<Cos>(library.GetFunction("cos"));
    ASSERT_NE(cosine, nullptr);
    EXPECT_DOUBLE_EQ(cosine(0.0), 1.0);
    EXPECT_EQ(library.GetFunction("no_such_symbol_here"), nullptr);

    // The directory of a loaded library holds that library.
    const MString directory = MModule::GetDirectory(library.GetHandle());
    ASSERT_FALSE(directory.IsEmpty());
    EXPECT_EQ(directory.GetData()[directory.GetLength() - 1], '/');
    EXPECT_EQ(MModule::GetDirectoryOf(reinterpret_cast<const void*>(cosine)), directory);

    library.Release();
    EXPECT_FALSE(library.IsLoaded());
    library.Release();

    EXPECT_LT(library.Load("/nonexistent/nimbus.so"), 0);
    EXPECT_NE(std::string(library.GetError()), "");
    EXPECT_FALSE(library.IsLoaded());
    EXPECT_EQ(library.Load(""), ERR_BAD_ARGUMENT);
}
