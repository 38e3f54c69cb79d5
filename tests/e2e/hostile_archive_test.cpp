// Hostile archives, each with its outcome: a zip bomb (a member declaring
// more than the member limit), a member whose declared size lies, the same
// in a library dump among good books, a book past a batch's memory limit,
// and a conversion stopped while it extracts. The executable runs under the
// harness's own limits (CPU time, file size, address space), so a bomb that
// escaped the converter's limits would end the run by a signal, not pass.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "support/test_util.h"
#include "support/zip_maker.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;

constexpr rlim_t kMB = 1 << 20;
#ifdef __SANITIZE_ADDRESS__
constexpr bool kSanitized = true;  // its shadow memory needs terabytes of address space
#else
constexpr bool kSanitized = false;
#endif
const std::string kFb2Head = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<FictionBook><description><title-info>"
                             "<book-title>Bomb</book-title></title-info></description><body><p>";

// An FB2 start followed by `megabytes` MB of zero bytes: a few KB zipped.
std::string BombMember(size_t megabytes) { return kFb2Head + std::string(megabytes * kMB, '\0'); }

// Sets the uncompressed size of the zip's first member (local header and central directory) to `declared`.
void DeclareSize(const std::string& zip, uint32_t declared) {
    std::vector<uint8_t> bytes = ReadFileBytes(zip);
    const std::string text(bytes.begin(), bytes.end());
    for (const auto& [signature, offset] : {std::pair{"PK\x03\x04", 22}, std::pair{"PK\x01\x02", 24}}) {
        std::memcpy(&bytes[text.find(signature) + static_cast<size_t>(offset)], &declared, 4);  // little-endian host
    }
    WriteFileBytes(zip, bytes);
}

// Converts `input` into `output` with the temporary folder `temp` under the
// limits, `whileRunning` called with the pid; the exit code or 128 + signal.
int RunLimited(const std::string& input, const std::string& output, const std::string& temp,
               std::vector<std::string> more, rlim_t fileBytes, const std::function<void(pid_t)>& whileRunning = {}) {
    std::vector<std::string> args = {TAVORIN_EXE, "-s", std::string(TAVORIN_SOURCE_DIR) + "/default_styles.sini",
                                     "-t", temp, "-i", input, "-o", output};
    args.insert(args.end(), more.begin(), more.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        for (const auto& [resource, value] : {std::pair{RLIMIT_CPU, rlim_t{60}}, std::pair{RLIMIT_FSIZE, fileBytes},
                                              std::pair{RLIMIT_AS, 1024 * kMB}}) {
            const struct rlimit limit = {value, value};
            if (resource != RLIMIT_AS || !kSanitized) setrlimit(resource, &limit);
        }
        for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::signal(signal, SIG_DFL);
        if (std::freopen((temp + ".log").c_str(), "w", stdout)) execv(TAVORIN_EXE, argv.data());
        _exit(121);
    }
    if (whileRunning) whileRunning(pid);
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

struct HostileArchive {
    const char* input;                  // a one-member zip, or the library folder
    std::vector<std::string> options;
    int code;
    std::vector<std::string> expected;  // in the console output
};

TEST(HostileArchive, BombsAndLiesAreRefusedAloneAndLeaveNothingBehind) {
    const std::string good = ReadFileText(TestDataPath("generated/ru_utf8.fb2"));
    const std::string declares = "Error: Cannot extract file to TempDir\\forLRFconversion: the member declares more "
                                 "than the member limit of 1 MB";
    const std::vector<HostileArchive> cases = {
        {"bomb.zip", {"--member-limit", "1"}, 6, {declares}},
        {"liar.zip", {}, 6, {"Error: Cannot extract file to TempDir\\forLRFconversion: the member inflates to more "
                             "than the 1000 bytes it declares"}},
        {"lib", {"--member-limit", "1"}, 13, {"bomb.zip/bomb.fb2: failed, code 6, " + declares,
                                              "liar.zip/liar.fb2: failed, code 6, Error: Cannot extract"}},
        {"lib", {"--member-limit", "1", "--memory-limit", "40"}, 13,
         {"big.fb2: failed, code 12, Error: Out of memory (the memory limit of 40 MB"}},
    };
    ScratchDir dir;
    fs::create_directories(dir.path() / "lib");
    for (const std::string name : {"bomb", "liar"}) {  // alone, and beside a good book in the library
        MakeZip(dir.file(name + ".zip"), {{name + ".fb2", BombMember(16)}});
        MakeZip(dir.file("lib/" + name + ".zip"), {{name + ".fb2", BombMember(16)}, {"good.fb2", good}});
    }
    for (const char* zip : {"liar.zip", "lib/liar.zip"}) DeclareSize(dir.file(zip), 1000);
    std::string big = kFb2Head + "</p>";
    for (int i = 0; i < 200000; ++i) big += "<p>Paragraph " + std::to_string(i) + " of a book past its memory limit.</p>";
    WriteFileText(dir.file("lib/big.fb2"), big + "</body></FictionBook>");
    WriteFileText(dir.file("lib/good.fb2"), good);
    for (const HostileArchive& c : cases) {
        SCOPED_TRACE(std::string(c.input) + " " + (c.options.empty() ? "" : c.options.back()));
        if (kSanitized && c.options.size() > 2) continue;  // the batch sets no memory limits there
        ScratchDir temp, out;
        const bool library = c.input == std::string("lib");
        const std::string output = library ? out.path().string() + "/" : out.file("out.lrf");
        EXPECT_EQ(RunLimited(dir.file(c.input), output, temp.path().string(), c.options, 8 * kMB), c.code);
        const std::string log = ReadFileText(temp.path().string() + ".log");
        for (const std::string& text : c.expected) EXPECT_NE(log.find(text), std::string::npos) << log;
        EXPECT_TRUE(fs::is_empty(temp.path()) && !fs::exists(out.file("out.lrf")));
        for (const char* book : {"good.lrf", "bomb/good.lrf", "liar/good.lrf"}) EXPECT_EQ(fs::exists(out.path() / book), library) << book;
    }
}

// Stopped by a signal while it extracts (or converts) a large member, a
// conversion removes its temporary folder and dies of the signal.
TEST(HostileArchive, StopSignalRemovesTheTemporaryFolder) {
    ScratchDir dir;
    MakeZip(dir.file("large.zip"), {{"large.fb2", BombMember(64)}});
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        ScratchDir temp;
        const auto stop = [&](pid_t pid) {
            while (fs::is_empty(temp.path())) usleep(100);  // its private folder is made
            kill(pid, signal);
        };
        EXPECT_EQ(RunLimited(dir.file("large.zip"), dir.file("o.lrf"), temp.path().string(), {}, 128 * kMB, stop),
                  128 + signal);
        EXPECT_TRUE(fs::is_empty(temp.path()));
    }
}

// Stopped while it saves a large book, a conversion leaves no partial book
// beside the output: the book is saved whole or not at all.
TEST(HostileArchive, StopSignalWhileSavingLeavesNoPartialBook) {
    ScratchDir dir, temp;
    // A picture of 32 MB of noise behind a PNG header: its stream takes a while to save.
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R',
                                0, 0, 0, 100, 0, 0, 0, 100, 8, 2, 0, 0, 0};
    uint32_t noise = 1;
    while (png.size() < 32 * kMB) png.push_back(static_cast<uint8_t>((noise = noise * 1103515245 + 12345) >> 24));
    WriteFileText(dir.file("book.fb2"), kFb2Head + "Text</p><image l:href=\"#i\"/></body>"
                                        "<binary id=\"i\" content-type=\"image/png\">" + Base64(png) +
                                        "</binary></FictionBook>\n");
    fs::create_directory(dir.file("out"));
    const auto saving = [&] {
        for (const auto& entry : fs::directory_iterator(dir.file("out")))
            if (entry.path().filename().string().starts_with(".tavorin_c.")) return true;
        return false;
    };
    const auto running = [](pid_t pid) {
        siginfo_t info{};
        return waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == 0;
    };
    const auto stop = [&](pid_t pid) {
        while (!saving() && running(pid)) usleep(100);
        kill(pid, SIGTERM);
    };
    const int code = RunLimited(dir.file("book.fb2"), dir.file("out/book.lrf"), temp.path().string(), {}, 128 * kMB, stop);
    EXPECT_TRUE(code == 128 + SIGTERM || code == 0) << code;
    EXPECT_FALSE(saving()) << "a partial book is left beside the output";
    EXPECT_EQ(fs::exists(dir.file("out/book.lrf")), code == 0);
}

}  // namespace
}  // namespace tavorin::test
