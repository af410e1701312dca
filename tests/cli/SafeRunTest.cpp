// tilora-cli never loses a file it was given or leaves one behind: an output that is one of its
// inputs is refused, a signal during a render takes the temporary file with it, a full standard
// output is an error, and a batch lets go of one sheet before it decodes the next.

#include "CliTestSupport.h"

#include "cli/CliSupport.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numeric>
#include <thread>

namespace tilora::cli::test {
namespace {

// The whole map (as written into the scratch folder), a file beside it that names it through a
// link, and a batch whose first output is the second map's sheet: every output here is a file the
// run reads, under one name or another. Each is refused with one line, and the file it names
// keeps its bytes.
TEST(SameFile, AnOutputThatIsAnInputIsRefusedAndTheInputKept) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeSheet("a.bmp", patternSheet(64, 32, 3));
    s.writeMap("m.map", makeMap("sheet.bmp", 3, 2, {0, 1, 2}));
    s.writeMap("b.map", makeMap("a.bmp", 2, 2, {1}));
    s.writeMap("h.map", makeMap("sheet.bmp", 1, 1, {3}));
    s.writeMap("a.map", makeMap("sheet.bmp", 1, 1, {2}));
    ASSERT_EQ(runCli({"export", s.path("m.map"), s.path("m.tmx")}).status, 0);
    ASSERT_EQ(::symlink("m.map", s.path("soft.png").c_str()), 0);
    ASSERT_EQ(::link(s.path("h.map").c_str(), s.path("hard.tmx").c_str()), 0);
    struct Case {
        std::vector<std::string> args;
        const char* kept;
    };
    const Case cases[] = {
        {{"render", s.path("m.map"), s.path("m.map"), "--format", "png"}, "m.map"},
        {{"export", s.path("m.map"), s.path("m.map")}, "m.map"},
        {{"import", s.path("m.tmx"), s.path("m.tmx")}, "m.tmx"},
        {{"render", s.path("m.map"), s.path("soft.png")}, "m.map"},
        {{"export", s.path("h.map"), s.path("hard.tmx")}, "h.map"},
        {{"render", s.path("m.map"), s.path("sheet.bmp")}, "sheet.bmp"},
        {{"render", s.path("a.map"), s.path("b.map"), "--format", "bmp", "--out-dir", s.path(".")},
         "a.bmp"},
    };
    for (const Case& c : cases) {
        const std::string before = s.read(c.kept);
        const auto r = runCli(c.args);
        EXPECT_EQ(r.status, 1) << c.args[0] << " " << c.args[2];
        EXPECT_TRUE(oneLineContaining(r.err, "出力先が入力のファイル（")) << r.err;
        EXPECT_EQ(s.read(c.kept), before) << c.kept;
    }
    // The batch went on with the map whose output replaces nothing.
    EXPECT_TRUE(s.exists("b.bmp"));
}

std::vector<std::string> temporaryFiles(const std::string& folder) {
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().extension() == ".tmp") found.push_back(entry.path().string());
    return found;
}

// The real tool in a child process, signalled as soon as its temporary output file exists, while
// an 8000 x 8000 PNG is still being drawn: it ends by that signal and leaves no temporary file.
TEST(Signals, InterruptedRenderLeavesNoTemporaryFile) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(256, 256));
    std::vector<std::int32_t> chips(63); // varied chips: the PNG takes a while to draw
    std::iota(chips.begin(), chips.end(), 0);
    s.writeMap("a.map", makeMap("sheet.bmp", 1000, 1000, chips));
    s.writeMap("b.map", makeMap("sheet.bmp", 1000, 1000, chips));
    struct Case {
        int signal;
        bool batch;
    };
    const Case cases[] = {{SIGINT, false}, {SIGTERM, false}, {SIGINT, true}, {SIGTERM, true}};
    for (const Case& c : cases) {
        const std::string out = s.path("out" + std::to_string(c.signal) + (c.batch ? "b" : ""));
        ASSERT_EQ(::mkdir(out.c_str(), 0700), 0);
        std::vector<std::string> args = {TILORA_CLI_PATH, "render", s.path("a.map"), "--cell-size",
                                         "8"};
        if (c.batch)
            args.insert(args.end(), {s.path("b.map"), "--out-dir", out});
        else
            args.push_back(out + "/a.png");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // As from an interactive shell: neither signal ignored nor blocked.
            ::signal(SIGINT, SIG_DFL);
            ::signal(SIGTERM, SIG_DFL);
            sigset_t none;
            sigemptyset(&none);
            ::sigprocmask(SIG_SETMASK, &none, nullptr);
            ::execv(argv[0], argv.data());
            ::_exit(127);
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (temporaryFiles(out).empty() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(child, c.signal);
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == c.signal)
            << "signal " << c.signal << ", wait status " << status;
        EXPECT_EQ(temporaryFiles(out), std::vector<std::string>()) << c.signal;
        EXPECT_FALSE(std::filesystem::exists(out + "/a.png"));
    }
}

// Every command that can write to standard output fails when it cannot, as under "> /dev/full".
TEST(StandardOutput, AFullOutputIsAnError) {
    Scratch s;
    s.writeSheet("sheet.bmp", patternSheet(64, 64));
    s.writeMap("m.map", makeMap("sheet.bmp", 3, 2, {0, 1, 2}));
    ASSERT_EQ(runCli({"export", s.path("m.map"), s.path("m.tmx")}).status, 0);
    const std::string cases[] = {
        "info '" + s.path("m.map") + "'", "render '" + s.path("m.map") + "' - --format png",
        "export '" + s.path("m.map") + "' -", "import '" + s.path("m.tmx") + "' -"};
    for (const std::string& c : cases) {
        const int status = std::system(
            (std::string(TILORA_CLI_PATH) + " " + c + " >/dev/full 2>'" + s.path("err") + "'")
                .c_str());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << c;
        EXPECT_TRUE(oneLineContaining(s.read("err"), "標準出力に書き込めません")) << c;
    }
}

} // namespace
} // namespace tilora::cli::test
