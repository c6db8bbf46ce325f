// libostra.so as other programs meet it: one exported symbol, a soname, the
// language of its messages fixed when it is loaded, and the same pixels as
// the straightforward version.
#include "ReferenceResize.h"
#include "TestImages.h"

#include <gtest/gtest.h>

#include <dlfcn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <sstream>
#include <string>

namespace {

using ReSizeFunction = uint8_t* (*)(void*, const void*, int32_t, int32_t);

std::string RunCommand(const std::string& command)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
        output.append(buffer, n);
    }
    pclose(pipe);
    return output;
}

TEST(OstraSharedLibrary, ReSizeIsTheOnlyExportedSymbol)
{
    const std::string output = RunCommand(std::string("nm -D --defined-only '") + OSTRA_SHARED_LIBRARY + "'");
    std::set<std::string> names;
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t space = line.rfind(' ');
        if (space != std::string::npos) {
            names.insert(line.substr(space + 1));
        }
    }
    EXPECT_EQ(names, std::set<std::string>{"ReSize"}) << output;
}

TEST(OstraSharedLibrary, HasASoname)
{
    const std::string output = RunCommand(std::string("objdump -p '") + OSTRA_SHARED_LIBRARY + "'");
    EXPECT_NE(output.find("SONAME               libostra.so.1"), std::string::npos) << output;
}

// Loads the library in a child process with the given locale variables,
// feeds it a 16-bit picture and returns what it wrote to stderr.
std::string MessageWhenLoadedWith(const char* lcAll, const char* lcMessages, const char* lang)
{
    int fds[2];
    if (pipe(fds) != 0) {
        return "no pipe";
    }
    const pid_t child = fork();
    if (child == 0) {
        dup2(fds[1], STDERR_FILENO);
        close(fds[0]);
        setenv("LC_ALL", lcAll, 1);
        setenv("LC_MESSAGES", lcMessages, 1);
        setenv("LANG", lang, 1);
        void* library = dlopen(OSTRA_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        if (library == nullptr) {
            _exit(2);
        }
        auto resize = reinterpret_cast<ReSizeFunction>(dlsym(library, "ReSize"));
        std::vector<uint8_t> info = ostra_test::MakeInfo(4, 4, 16);
        const std::vector<uint8_t> bits(32, 0);
        const bool refused = resize != nullptr && resize(info.data(), bits.data(), 2, 2) == nullptr;
        _exit(refused ? 0 : 3);
    }
    close(fds[1]);
    std::string text;
    char buffer[256];
    ssize_t n;
    while ((n = read(fds[0], buffer, sizeof buffer)) > 0) {
        text.append(buffer, size_t(n));
    }
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "child status " << status;
    return text;
}

TEST(OstraSharedLibrary, MessageLanguageFollowsTheLocaleAtLoadTime)
{
    const std::string japanese = "未対応のＢＭＰファイルです\n";
    const std::string english = "No support fileformat.\n";
    EXPECT_EQ(MessageWhenLoadedWith("", "", "ja_JP.UTF-8"), japanese);
    EXPECT_EQ(MessageWhenLoadedWith("", "ja_JP.eucJP", "en_US.UTF-8"), japanese);
    EXPECT_EQ(MessageWhenLoadedWith("ja", "en_GB", "en_US.UTF-8"), japanese);
    EXPECT_EQ(MessageWhenLoadedWith("C", "", "ja_JP.UTF-8"), english);
    EXPECT_EQ(MessageWhenLoadedWith("", "", "en_US.UTF-8"), english);
    EXPECT_EQ(MessageWhenLoadedWith("", "", ""), english);
}

TEST(OstraSharedLibrary, LoadedLibraryResizesLikeTheStraightforwardVersion)
{
    void* library = dlopen(OSTRA_SHARED_LIBRARY, RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    auto resize = reinterpret_cast<ReSizeFunction>(dlsym(library, "ReSize"));
    ASSERT_NE(resize, nullptr);
    for (int bitCount : {1, 4, 8, 24}) {
        const ostra_test::TestBitmap bitmap = ostra_test::MakeRandomBitmap(61, 43, bitCount, 8);
        const auto expected = ostra_reference::ReferenceResize::Run(bitmap.info.data(), bitmap.bits.data(), 90, 20);
        std::vector<uint8_t> info = bitmap.info;
        const uint8_t* out = resize(info.data(), bitmap.bits.data(), 90, 20);
        ASSERT_NE(out, nullptr);
        EXPECT_EQ(std::vector<uint8_t>(out, out + expected.pixels.size()), expected.pixels) << bitCount;
        EXPECT_EQ(0, std::memcmp(info.data(), expected.header.data(), 40));
    }
    EXPECT_EQ(dlclose(library), 0);
}

}  // namespace
