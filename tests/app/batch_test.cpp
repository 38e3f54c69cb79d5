// The batch command of the real executable: a library folder and a many-book
// zip converted into a folder of books, each identical to its single-book
// conversion; failures, refused names and collisions in the report; resume
// and -f; children ended by a signal or the time limit; a batch stopped by
// SIGTERM and run again; the codes of a batch that cannot start; and, through
// the library call with a stand-in for the executable, the child's result
// file and a child that cannot be started.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/batch.h"
#include "converter_run.h"
#include "support/test_util.h"
#include "support/zip_maker.h"

namespace tavorin::test {
namespace {

namespace fs = std::filesystem;
using std::chrono::steady_clock;

// One row of the CSV report, by column name.
using ReportRow = std::map<std::string, std::string>;

// Reads the report with its header; fields may be quoted, quotes doubled.
std::map<std::string, ReportRow> ReadReport(const std::string& path) {
    const std::string text = ReadFileText(path);
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += text[++i];
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\n') {
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
        } else if (c != '\r') {
            field += c;
        }
    }
    std::map<std::string, ReportRow> report;
    for (size_t r = 1; r < rows.size(); ++r) {
        if (rows[r].size() != rows[0].size()) continue;
        ReportRow row;
        for (size_t c = 0; c < rows[0].size(); ++c) row[rows[0][c]] = rows[r][c];
        report[row["path"]] = row;
    }
    return report;
}

// Every file under the folder, relative to it.
std::set<std::string> FilesUnder(const fs::path& folder) {
    std::set<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        if (!entry.is_directory()) files.insert(entry.path().lexically_relative(folder).string());
    }
    return files;
}

bool IsEmptyFolder(const fs::path& folder) { return fs::directory_iterator(folder) == fs::directory_iterator(); }

// The book as the single-book command converts it.
std::vector<uint8_t> SingleConversion(const std::string& input, const ScratchDir& scratch) {
    const std::string output = scratch.file("single.lrf");
    const CommandResult r = ConvertWithTempDir(input, output, scratch.path().string());
    EXPECT_EQ(r.exitCode, 0) << input << ": " << r.output;
    std::vector<uint8_t> bytes = ReadFileBytes(output);
    fs::remove(output);
    return bytes;
}

std::vector<std::string> BatchArgs(const std::string& input, const std::string& output, const ScratchDir& temp,
                                   const std::vector<std::string>& more = {}) {
    std::vector<std::string> args = {"-s", kShippedSettings, "-t", temp.path().string(), "-i", input, "-o", output};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

// Starts the converter in the background with its output going to `log`;
// `setup` runs in the child before the converter starts.
pid_t StartConverter(const std::vector<std::string>& args, const std::string& log,
                     const std::function<void()>& setup = {}, const std::string& exe = TAVORIN_EXE) {
    const pid_t pid = fork();
    if (pid == 0) {
        std::vector<char*> argv = {const_cast<char*>(exe.c_str())};
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        if (std::freopen(log.c_str(), "w", stdout) == nullptr) _exit(120);
        dup2(fileno(stdout), STDERR_FILENO);
        if (setup) setup();
        execv(exe.c_str(), argv.data());
        _exit(121);
    }
    return pid;
}

int WaitForExit(pid_t pid) {
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// The arguments of a process, from the process table.
std::vector<std::string> CommandLineOf(pid_t pid) {
    std::vector<std::string> args;
    std::istringstream in(ReadFileText("/proc/" + std::to_string(pid) + "/cmdline"));
    for (std::string arg; std::getline(in, arg, '\0');) args.push_back(arg);
    return args;
}

// A child of `parent` that already runs the converter (a child between
// fork and exec still shows the parent's arguments); -1 when none does.
pid_t ConverterChildOf(pid_t parent) {
    for (const auto& entry : fs::directory_iterator("/proc")) {
        const std::string name = entry.path().filename().string();
        if (name.find_first_not_of("0123456789") != std::string::npos) continue;
        const std::string stat = ReadFileText(entry.path().string() + "/stat");
        const size_t close = stat.rfind(')');
        if (close == std::string::npos) continue;
        std::istringstream fields(stat.substr(close + 2));
        char state;
        pid_t ppid = 0;
        fields >> state >> ppid;
        const pid_t pid = std::stoi(name);
        if (ppid != parent) continue;
        const std::vector<std::string> args = CommandLineOf(pid);
        if (!args.empty() && args[0] == "tavorin_c" && ReadFileText(entry.path() / "comm") == "tavorin_c\n") return pid;
    }
    return -1;
}

// The first child of `parent` found running the converter; -1 after a minute.
pid_t AwaitConverterChild(pid_t parent) {
    const auto giveUp = steady_clock::now() + std::chrono::seconds(60);
    pid_t child = ConverterChildOf(parent);
    for (; child < 0 && steady_clock::now() < giveUp; child = ConverterChildOf(parent)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return child;
}

// The value after `option` in the arguments.
std::string OptionValue(const std::vector<std::string>& args, const std::string& option) {
    for (size_t i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == option) return args[i + 1];
    }
    return "";
}

// Copies of the largest test book in the folder.
std::vector<std::string> LargeBookLibrary(const ScratchDir& dir, int copies) {
    const std::string large = TestDataPath("utf-8/fb2document_test_book_en.fb2");
    fs::create_directories(dir.path() / "lib");
    std::vector<std::string> names;
    for (int i = 0; i < copies; ++i) {
        names.push_back("copy" + std::to_string(i) + ".fb2");
        fs::copy_file(large, dir.path() / "lib" / names.back());
    }
    return names;
}

// The library of the folder tests: good books in several encodings and
// forms in nested folders, an archive of three books (code 5), a file
// named .fb2 that is no FB2 (code 9), and a text file that is no book.
struct LibraryFile {
    const char* source;  // in the test data
    const char* place;
    int code;  // of its single-book conversion; -1 for a file that is no book
};

constexpr LibraryFile kLibrary[] = {
    {"utf-8/twain_tom_sawyer_en.fb2", "twain_tom_sawyer_en.fb2", 0},
    {"generated/fr_windows1252.fb2", "en/pandoc_writer.fb2", 0},
    {"generated/ru_koi8r.fb2", "ru/help/minihelp.fb2", 0},
    {"generated/ru_windows1251.fb2.zip", "ru/demo.fb2.zip", 0},
    {"windows-1251/tolstoy_karenina_cover.fb2", "ru/karenina.fb2", 0},
    {"malformed/cut_in_description.fb2", "broken/cut_short.fb2", 10},
    {"README.md", "broken/not_fb2.fb2", 9},
    {"README.md", "readme.md", -1},
};

std::string OutputOf(const std::string& place) {
    const std::string stem = place.substr(0, place.find(".fb2"));
    return stem + ".lrf";
}

void MakeLibrary(const ScratchDir& dir) {
    for (const LibraryFile& file : kLibrary) {
        const fs::path target = dir.path() / "lib" / file.place;
        fs::create_directories(target.parent_path());
        fs::copy_file(TestDataPath(file.source), target);
    }
}

TEST(Batch, FolderTreeConvertsGoodBooksAndReportsTheOthers) {
    ScratchDir dir, temp;
    MakeLibrary(dir);
    const std::string report = dir.file("report.csv");
    const CommandResult r =
        RunConverterExe(BatchArgs(dir.file("lib"), dir.file("out"), temp, {"-j", "2", "--report", report}));
    EXPECT_EQ(r.exitCode, 13) << r.output;
    EXPECT_NE(r.output.find("Converted 5, skipped 1 (0 up to date, 1 not books), failed 2"), std::string::npos)
        << r.output;
    EXPECT_NE(r.output.find("broken/cut_short.fb2: failed, code 10, Error: Error in fb2 header"),
              std::string::npos)
        << r.output;

    const std::map<std::string, ReportRow> rows = ReadReport(report);
    std::set<std::string> expectedOutputs;
    for (const LibraryFile& file : kLibrary) {
        SCOPED_TRACE(file.place);
        ASSERT_EQ(rows.count(file.place), 1u);
        const ReportRow& row = rows.at(file.place);
        const fs::path output = dir.path() / "out" / OutputOf(file.place);
        EXPECT_EQ(row.at("input bytes"), std::to_string(fs::file_size(TestDataPath(file.source))));
        if (file.code < 0) {
            EXPECT_EQ(row.at("result"), "not a book");
        } else if (file.code > 0) {
            EXPECT_EQ(row.at("result"), "failed");
            EXPECT_EQ(row.at("exit code"), std::to_string(file.code));
            EXPECT_EQ(row.at("message").rfind("Error: ", 0), 0u) << row.at("message");
            EXPECT_FALSE(fs::exists(output));
        } else {
            EXPECT_EQ(row.at("result"), "converted");
            EXPECT_EQ(row.at("exit code"), "0");
            expectedOutputs.insert(OutputOf(file.place));
            EXPECT_EQ(ReadFileBytes(output.string()), SingleConversion(dir.file("lib/" + std::string(file.place)), temp));
            EXPECT_EQ(row.at("output bytes"), std::to_string(fs::file_size(output)));
        }
    }
    EXPECT_EQ(FilesUnder(dir.path() / "out"), expectedOutputs);
    EXPECT_TRUE(IsEmptyFolder(temp.path()));
}

TEST(Batch, SecondRunSkipsFinishedBooksAndForceConvertsAgain) {
    ScratchDir dir, temp;
    MakeLibrary(dir);
    const std::vector<std::string> args = BatchArgs(dir.file("lib"), dir.file("out"), temp);
    ASSERT_EQ(RunConverterExe(args).exitCode, 13);
    const fs::path book = dir.path() / "out/en/pandoc_writer.lrf";
    const auto firstTime = fs::last_write_time(book);

    CommandResult r = RunConverterExe(args);
    EXPECT_EQ(r.exitCode, 13) << r.output;  // the broken books are tried again and fail again
    EXPECT_NE(r.output.find("Converted 0, skipped 6 (5 up to date, 1 not books), failed 2"), std::string::npos)
        << r.output;
    EXPECT_EQ(fs::last_write_time(book), firstTime);

    // A book changed after its conversion is converted again.
    fs::last_write_time(dir.path() / "lib/en/pandoc_writer.fb2", firstTime + std::chrono::seconds(5));
    r = RunConverterExe(args);
    EXPECT_NE(r.output.find("Converted 1, skipped 5 (4 up to date"), std::string::npos) << r.output;

    std::vector<std::string> forced = args;
    forced.push_back("-f");
    r = RunConverterExe(forced);
    EXPECT_EQ(r.exitCode, 13) << r.output;
    EXPECT_NE(r.output.find("Converted 5, skipped 1 (0 up to date, 1 not books), failed 2"), std::string::npos)
        << r.output;
}

// Member names and what becomes of them: a book, a non-book, a refused or a
// colliding name, Windows folder separators, names in a legacy code page.
// Nothing may appear outside the output folder. Each zip is converted as the
// input and as a dump inside a library folder.
struct ZipCase {
    const char* name;
    std::vector<std::pair<std::string, std::string>> members;  // name and what the member is: "book" or "text"
    std::map<std::string, std::string> results;                 // shown member name to its result in the report
    std::set<std::string> outputs;                              // files in the output folder afterwards
    int exitCode;
    std::vector<std::string> options = {};
};

TEST(Batch, ManyBookZipConvertsEveryMemberInsideTheOutputFolder) {
    const std::string book = ReadFileText(TestDataPath("generated/ru_utf8.fb2"));
    const std::string other = ReadFileText(TestDataPath("generated/fr_windows1252.fb2"));
    const std::string cp866 = "\x8f\xe0\xa8\xa2\xa5\xe2";  // "Привет" in code page 866, no UTF-8 flag
    const std::vector<ZipCase> cases = {
        {"books in folders and a picture",
         {{"a/one.fb2", "book"}, {"two.FB2", "other"}, {"a/b/three.fb2", "book"}, {"cover.jpg", "text"}},
         {{"a/one.fb2", "converted"}, {"two.FB2", "converted"}, {"a/b/three.fb2", "converted"},
          {"cover.jpg", "not a book"}},
         {"a/one.lrf", "two.lrf", "a/b/three.lrf"},
         0},
        {"names leading outside",
         {{"../../escape.fb2", "book"}, {"/tmp/absolute.fb2", "book"}, {"a/../../up.fb2", "book"},
          {"a\\..\\..\\win.fb2", "book"}, {"ok.fb2", "book"}},
         {{"../../escape.fb2", "refused"}, {"/tmp/absolute.fb2", "refused"}, {"a/../../up.fb2", "refused"},
          {"a/../../win.fb2", "refused"}, {"ok.fb2", "converted"}},
         {"ok.lrf"},
         13},
        {"two members for one output, the same but for case",
         {{"x/same.fb2", "book"}, {"X//Same.fb2", "other"}, {"single.fb2", "book"}},
         {{"x/same.fb2", "collision"}, {"X//Same.fb2", "collision"}, {"single.fb2", "converted"}},
         {"single.lrf"},
         13},
        {"Windows folder separators", {{"Author\\Book.fb2", "book"}, {"Author\\Other.fb2", "other"}},
         {{"Author/Book.fb2", "converted"}, {"Author/Other.fb2", "converted"}}, {"Author/Book.lrf", "Author/Other.lrf"}, 0},
        {"cp866 names as the zip standard's CP437", {{cp866 + ".fb2", "book"}, {"b.fb2", "other"}},
         {{"Åα¿óÑΓ.fb2", "converted"}, {"b.fb2", "converted"}}, {"Åα¿óÑΓ.lrf", "b.lrf"}, 0},
        {"cp866 names with --names cp866", {{cp866 + ".fb2", "book"}, {"b.fb2", "other"}},
         {{"Привет.fb2", "converted"}, {"b.fb2", "converted"}}, {"Привет.lrf", "b.lrf"}, 0, {"--names", "cp866"}},
    };
    ScratchDir temp;
    const std::vector<uint8_t> bookLrf = SingleConversion(TestDataPath("generated/ru_utf8.fb2"), temp);
    const std::vector<uint8_t> otherLrf = SingleConversion(TestDataPath("generated/fr_windows1252.fb2"), temp);
    for (size_t k = 0; k < 2 * cases.size(); ++k) {
        const ZipCase& c = cases[k / 2];
        const bool inFolder = k % 2 == 1;  // the zip as the input, or as a dump in a library folder
        const std::string zip = inFolder ? "lib/d/library.zip" : "library.zip", sub = inFolder ? "d/library/" : "";
        SCOPED_TRACE(c.name + (" " + zip));
        ScratchDir dir;
        ZipEntries entries;
        for (const auto& [name, kind] : c.members) {
            entries.emplace_back(name, kind == "book" ? book : kind == "other" ? other : "not a book at all");
        }
        fs::create_directories((dir.path() / zip).parent_path());
        MakeZip(dir.file(zip), entries);
        // The output folder lies deep inside, so "../../" would still be inside the scratch folder.
        const std::string out = dir.file("deep/er/out"), books = out + "/" + sub;
        const std::string report = dir.file("report.csv");
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--report", report});
        const CommandResult r = RunConverterExe(BatchArgs(dir.file(inFolder ? "lib" : zip), out + "/", temp, options));
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        const std::map<std::string, ReportRow> rows = ReadReport(report);
        EXPECT_EQ(rows.size(), c.results.size());
        for (const auto& [name, result] : c.results) {
            const std::string member = (inFolder ? "d/library.zip/" : "") + name;
            EXPECT_EQ(rows.count(member) ? rows.at(member).at("result") : "(missing)", result) << member;
        }
        EXPECT_EQ(FilesUnder(books), c.outputs);
        for (const auto& [name, kind] : c.members) {
            const fs::path output = fs::path(books) / fs::path(name).lexically_normal().replace_extension(".lrf");
            if (c.outputs.count(output.lexically_relative(books).string())) {
                EXPECT_EQ(ReadFileBytes(output.string()), kind == "book" ? bookLrf : otherLrf) << name;
            }
        }
        std::set<std::string> everything = FilesUnder(dir.path());
        std::set<std::string> expected = {zip, "report.csv"};
        for (const std::string& output : c.outputs) expected.insert("deep/er/out/" + sub + output);
        EXPECT_EQ(everything, expected);
        EXPECT_TRUE(IsEmptyFolder(temp.path()));
        // The last progress line counts what the summary counts; the summary comes last.
        std::smatch m;
        const std::regex ending(R"((\d+)/(\d+) books, (\d+) failed.*\nConverted .*, failed (\d+),.*\n(  .*\n)*(Converted .*\n)?$)");
        ASSERT_TRUE(std::regex_search(r.output, m, ending)) << r.output;
        EXPECT_TRUE(m[1] == m[2] && m[3] == m[4] && m[5].matched == m[6].matched) << r.output;
    }
}

// A child that ends by a signal, sent from outside or by the batch at the
// time limit, is a failed book with no output, and the batch goes on.
TEST(Batch, ChildEndedBySignalIsAFailureWithoutOutput) {
    struct SignalCase {
        const char* name;
        std::vector<std::string> options;
        bool killFromOutside;
        const char* message;
    };
    const std::vector<SignalCase> cases = {
        {"SIGKILL from outside", {"-j", "1"}, true, "killed by signal 9"},
        {"time limit", {"-j", "2", "-T", "0.01"}, false, "stopped after the time limit of 0.01 s"},
    };
    for (const SignalCase& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir, temp;
        const std::vector<std::string> names = LargeBookLibrary(dir, 3);
        const std::string report = dir.file("report.csv");
        std::vector<std::string> options = c.options;
        options.insert(options.end(), {"--report", report});
        const pid_t batch = StartConverter(BatchArgs(dir.file("lib"), dir.file("out"), temp, options), dir.file("log"));
        std::string killed;
        if (c.killFromOutside) {
            const pid_t child = AwaitConverterChild(batch);
            ASSERT_GT(child, 0) << "no child found";
            killed = fs::path(OptionValue(CommandLineOf(child), "-i")).filename().string();
            kill(child, SIGKILL);
        }
        EXPECT_EQ(WaitForExit(batch), 13) << ReadFileText(dir.file("log"));
        const std::map<std::string, ReportRow> rows = ReadReport(report);
        for (const std::string& name : names) {
            SCOPED_TRACE(name);
            const bool failed = !c.killFromOutside || name == killed;
            const fs::path output = dir.path() / "out" / (fs::path(name).stem().string() + ".lrf");
            ASSERT_EQ(rows.count(name), 1u);
            EXPECT_EQ(rows.at(name).at("result"), failed ? "failed" : "converted");
            if (!failed) continue;
            EXPECT_EQ(rows.at(name).at("exit code"), "137");
            EXPECT_EQ(rows.at(name).at("message").rfind(c.message, 0), 0u) << rows.at(name).at("message");
            EXPECT_FALSE(fs::exists(output));
        }
        // Nothing partial: only finished books in the output folder, nothing in the temporary folder.
        for (const std::string& file : FilesUnder(dir.path() / "out")) EXPECT_EQ(fs::path(file).extension(), ".lrf") << file;
        EXPECT_TRUE(IsEmptyFolder(temp.path()));
    }
}

// Stopped by SIGTERM, SIGHUP or Ctrl-C (SIGINT to its process group), the batch kills its children, marks
// their books interrupted, removes its folders, writes summary and report; killed by SIGKILL, its children
// die with it and the next run removes its folders. The next run completes the library, output closed or not.
TEST(Batch, StoppedBatchKeepsFinishedBooksAndTheNextRunCompletesIt) {
    constexpr int kToGroup = 1000;  // the signal goes to the batch's process group, as a terminal sends it
    prctl(PR_SET_CHILD_SUBREAPER, 1);  // the children of a killed batch become this process's
    for (const int signal : {SIGTERM, SIGHUP, kToGroup + SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal);
        ScratchDir dir, temp;
        const std::vector<std::string> names = LargeBookLibrary(dir, 8);
        const std::vector<uint8_t> reference = SingleConversion(dir.file("lib/" + names[0]), temp);
        const std::vector<std::string> args =
            BatchArgs(dir.file("lib"), dir.file("out"), temp, {"-j", "2", "--report", dir.file("r.csv")});
        const pid_t batch = StartConverter(args, dir.file("log"), [] { setpgid(0, 0); });
        const auto giveUp = steady_clock::now() + std::chrono::seconds(120);
        const auto finished = [&] {  // the books at the top of the output folder, while the batch works there
            std::set<std::string> books;
            std::error_code ec;
            for (fs::directory_iterator it(dir.path() / "out", ec), end; !ec && it != end; it.increment(ec)) {
                if (it->path().extension() == ".lrf") books.insert(it->path().filename().string());
            }
            return books;
        };
        while (finished().empty() && steady_clock::now() < giveUp) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const pid_t child = signal == SIGKILL ? AwaitConverterChild(batch) : -1;  // stopped, it can only die
        if (child > 0) kill(child, SIGSTOP);
        kill(signal > kToGroup ? -batch : batch, signal % kToGroup);
        ASSERT_EQ(WaitForExit(batch), 128 + signal % kToGroup) << ReadFileText(dir.file("log"));
        int status = 0;
        while (child > 0 && waitpid(child, &status, WNOHANG) == 0 && steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        EXPECT_TRUE(signal != SIGKILL || (WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL)) << "child outlived the batch";

        const std::set<std::string> done = finished();
        EXPECT_GE(done.size(), 1u);
        EXPECT_LT(done.size(), names.size());
        for (const std::string& file : done) EXPECT_EQ(ReadFileBytes(dir.file("out/" + file)), reference) << file;
        if (signal != SIGKILL) {
            EXPECT_EQ(FilesUnder(dir.path() / "out"), done);
            EXPECT_TRUE(IsEmptyFolder(temp.path()));
            const std::map<std::string, ReportRow> rows = ReadReport(dir.file("r.csv"));
            EXPECT_EQ(rows.size(), names.size());
            for (const auto& [name, row] : rows) {
                EXPECT_EQ(row.at("result"), done.count(fs::path(name).stem().string() + ".lrf") ? "converted" : "interrupted")
                    << name << ": " << row.at("message");
            }
        }

        // With nobody reading its output (a closed pipe, or none at all) the next run loses nothing.
        EXPECT_EQ(WaitForExit(StartConverter(args, dir.file("log"), [signal] {
                      int ends[2];
                      if (signal == SIGKILL) close(STDOUT_FILENO);
                      else if (pipe(ends) == 0) close(ends[0]), dup2(ends[1], STDOUT_FILENO);
                  })), 0);
        const std::map<std::string, ReportRow> rows = ReadReport(dir.file("r.csv"));
        EXPECT_EQ(std::count_if(rows.begin(), rows.end(), [](auto& r) { return r.second.at("result") == "up to date"; }),
                  static_cast<std::ptrdiff_t>(done.size()));
        EXPECT_EQ(FilesUnder(dir.path() / "out").size(), names.size());  // every book; a killed batch's folders gone
        for (const std::string& file : finished()) EXPECT_EQ(ReadFileBytes(dir.file("out/" + file)), reference) << file;
        EXPECT_TRUE(IsEmptyFolder(temp.path()));
    }
}

// A batch that cannot start ends with the single-book code of its problem;
// a many-book zip with -o naming a file stays the single-book call.
TEST(Batch, ProblemsOfTheBatchItselfEndWithSingleBookCodes) {
    ScratchDir dir, temp;
    fs::create_directories(dir.path() / "lib");
    WriteFileText(dir.file("lib/book.fb2"), ReadFileText(TestDataPath("generated/ru_utf8.fb2")));
    WriteFileText(dir.file("a_file"), "x");
    MakeZip(dir.file("two.zip"), {{"a.fb2", "x"}, {"b.fb2", "y"}});
    struct ProblemCase {
        std::vector<std::string> args;
        int exitCode;
        std::string message;
    };
    const std::vector<ProblemCase> cases = {
        {{"-s", dir.file("none.sini"), "-i", dir.file("lib"), "-o", dir.file("out")}, 3,
         "Error: Cannot open style file:"},
        {{"-s", kShippedSettings, "-i", dir.file("lib"), "-o", dir.file("a_file/out")}, 11,
         "Cannot write outputfile:"},
        {{"-s", kShippedSettings, "-j", "0", "-i", dir.file("lib"), "-o", dir.file("out")}, 1, "Error: -j needs"},
        {{"-s", kShippedSettings, "-i", dir.file("two.zip"), "-o", dir.file("out.lrf")}, 5,
         "Error: More than 1 file in archive"},
        {{"-i", dir.file("lib"), "--reprot", "r.csv", "-o", dir.file("out")}, 1, "unknown option --reprot\n\ntavorin_c"},
        {{"-i", dir.file("lib"), "-o", dir.file("a_file")}, 11, "a file, not a folder"},
        {{"--names", "cp-none", "-i", dir.file("lib"), "-o", dir.file("out")}, 1, "Error: --names needs a code page"},
        {{"-i", dir.file("lib"), "-o", dir.file("out"), "--report", dir.file("no/r")}, 11, "outputfile:" + dir.file("no/r")},
    };
    for (const ProblemCase& c : cases) {
        std::vector<std::string> args = {"-s", kShippedSettings};  // a later -s holds
        args.insert(args.end(), c.args.begin(), c.args.end());
        const CommandResult r = RunConverterExe(args);
        EXPECT_EQ(r.exitCode, c.exitCode) << r.output;
        EXPECT_NE(r.output.find(c.message), std::string::npos) << r.output;
    }
    EXPECT_TRUE(!fs::exists(dir.path() / "out") || IsEmptyFolder(dir.path() / "out"));
}

// Only a whole LRF newer than its book is up to date: an empty, cut or
// lengthened file is converted again, and a folder in a book's place is a
// failure, not a book skipped for ever. The report is replaced only whole.
TEST(Batch, OnlyAWholeBookIsUpToDate) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"whole", "up to date"}, {"empty", "converted"}, {"cut", "converted"}, {"longer", "converted"}, {"folder", "failed"}};
    ScratchDir dir, temp;
    const std::vector<uint8_t> reference = SingleConversion(TestDataPath("generated/ru_utf8.fb2"), temp);
    fs::create_directories(dir.path() / "lib");
    for (const auto& [name, result] : cases) fs::copy_file(TestDataPath("generated/ru_utf8.fb2"), dir.file("lib/" + name + ".fb2"));
    const std::vector<std::string> args = BatchArgs(dir.file("lib"), dir.file("out"), temp, {"--report", dir.file("r.csv")});
    ASSERT_EQ(RunConverterExe(args).exitCode, 0);
    for (const auto& [name, result] : cases) {
        const std::string output = dir.file("out/" + name + ".lrf");
        std::vector<uint8_t> bytes = reference;
        bytes.resize(name == "empty" ? 0 : name == "cut" ? bytes.size() / 2 : bytes.size() + (name == "longer") * 16);
        if (name != "folder") WriteFileBytes(output, bytes);
        else fs::remove(output), fs::create_directory(output);
        fs::last_write_time(output, fs::last_write_time(dir.file("lib/" + name + ".fb2")) + std::chrono::seconds(10));
    }
    EXPECT_EQ(RunConverterExe(args).exitCode, 13);
    const std::map<std::string, ReportRow> rows = ReadReport(dir.file("r.csv"));
    for (const auto& [name, result] : cases) {
        EXPECT_EQ(rows.at(name + ".fb2").at("result"), result) << name;
        EXPECT_TRUE(name == "folder" || ReadFileBytes(dir.file("out/" + name + ".lrf")) == reference) << name;
    }
    // A report that cannot be written in full (the file size limit stops it) leaves the older one as it was.
    const std::string older = ReadFileText(dir.file("r.csv"));
    EXPECT_EQ(WaitForExit(StartConverter(args, dir.file("log"), [] {
                  const rlimit limit = {100, 100};
                  if (signal(SIGXFSZ, SIG_IGN) == SIG_ERR || setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(122);
              })), 11);
    EXPECT_EQ(ReadFileText(dir.file("r.csv")), older);
    EXPECT_EQ(FilesUnder(dir.path()).size(), 2 * cases.size() + 1);  // no part of a report left: books, outputs, r.csv
}

// Run as an ordinary user (root may read everything): a folder or a book
// that cannot be read is a row of the report and a line of the summary and
// the batch ends with 13; a library folder that cannot be opened ends it with 4.
TEST(Batch, UnreadableFoldersAndBooksAreReported) {
    ScratchDir dir, temp;
    for (const std::string place : {"lib/a.fb2", "lib/closed/b.fb2", "lib/sub/closed.fb2"}) {
        fs::create_directories((dir.path() / place).parent_path());
        fs::copy_file(TestDataPath("generated/ru_utf8.fb2"), dir.file(place));
    }
    fs::copy_file(TAVORIN_EXE, dir.file("tavorin_c"));  // where the user may run it
    fs::copy_file(kShippedSettings, dir.file("styles.sini"));
    for (const fs::path& open : {dir.path(), temp.path()}) fs::permissions(open, fs::perms::all);
    for (const char* closed : {"lib/closed", "lib/sub/closed.fb2"}) fs::permissions(dir.file(closed), fs::perms::none);
    const std::string reason = std::strerror(EACCES);
    for (const std::string library : {"lib/closed", "lib"}) {
        const std::vector<std::string> args = {"-s", dir.file("styles.sini"), "-t", temp.path().string(), "-i",
                                               dir.file(library), "-o", dir.file("out"), "--report", dir.file("r.csv")};
        const int code = WaitForExit(StartConverter(args, dir.file("log"), [] {
            if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(122);  // nobody
        }, dir.file("tavorin_c")));
        const std::string log = ReadFileText(dir.file("log"));
        EXPECT_EQ(code, library == "lib" ? 13 : 4) << log;
        EXPECT_NE(log.find(library == "lib" ? "failed 2 (2 unreadable)" : "Error: Cannot open input file: " + reason),
                  std::string::npos) << log;
    }
    std::map<std::string, ReportRow> rows = ReadReport(dir.file("r.csv"));
    for (const std::string path : {"a.fb2", "closed/", "sub/closed.fb2"}) {
        EXPECT_EQ(rows[path]["result"] + rows[path]["exit code"] + rows[path]["message"],
                  path == "a.fb2" ? "converted0" : "unreadable4" + reason);
    }
    fs::permissions(dir.file("lib/closed"), fs::perms::owner_all);  // so that the scratch folder can be removed
}

// A child's code and message come from the result file it leaves, whatever
// its message says; a child that leaves none is judged by its exit status;
// one that cannot be started is a failure of its own, not a converter's code.
TEST(Batch, ChildResultComesFromItsResultFile) {
    struct StandInCase {
        const char* script;  // empty: no executable at all
        const char* code;
        std::string message;
    };
    const std::vector<StandInCase> cases = {
        {"printf '7\\nnot a line of the converter\\n' > \"$TAVORIN_RESULT_FILE\"; exit 7", "7",
         "not a line of the converter"},
        {"echo Error: printed only; exit 3", "3", "ended with code 3 and left no result"},
        {"", "127", std::string("failed to start: ") + std::strerror(ENOENT)},
    };
    for (const StandInCase& c : cases) {
        SCOPED_TRACE(c.code);
        ScratchDir dir, temp;
        fs::create_directories(dir.path() / "lib");
        fs::copy_file(TestDataPath("generated/ru_utf8.fb2"), dir.file("lib/book.fb2"));
        BatchOptions options;
        options.settingsPath = kShippedSettings;
        options.tempFolder = temp.path().string() + "/";
        options.inputPath = dir.file("lib");
        options.outputFolder = dir.file("out");
        options.selfPath = dir.file("stand-in");
        options.jobs = 1;
        options.reportPath = dir.file("r.csv");
        if (*c.script) {
            WriteFileText(options.selfPath, std::string("#!/bin/sh\n") + c.script + "\n");
            fs::permissions(options.selfPath, fs::perms::owner_all);
        }
        StringSink printed;
        Console console{printed};
        EXPECT_EQ(RunBatch(options, console), 13) << printed.text();
        ReportRow row = ReadReport(options.reportPath).at("book.fb2");
        EXPECT_EQ(row["result"] + "," + row["exit code"] + "," + row["message"],
                  std::string("failed,") + c.code + "," + c.message);
    }
}

}  // namespace
}  // namespace tavorin::test
