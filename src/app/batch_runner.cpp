// The batch's child processes. Each book is converted by the executable
// itself, started with the single-book arguments, so a book that crashes,
// exhausts memory or hangs cannot stop the batch or touch another book.
//
// Each child gets two folders of its own, both named by the book's number:
// one in the staging folder (inside the output folder, so that the finished
// book is moved into place by a rename on the same file system) and one in
// the work folder (its temporary files, and the member extracted for it from
// a many-book archive, and the file that takes the child's stdout and
// stderr). Whatever way the child ends, both are removed; only a child that
// ends with code 0 has its book renamed to its output path.
//
// The batch sleeps until a child ends (a pidfd becomes readable), a time
// limit runs out or a stop signal arrives: the children's progress output
// goes to their file, not through a pipe that would wake the batch at every
// percentage.
#include "app/batch_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <optional>
#include <system_error>
#include <vector>

#include "app/run_state.h"
#include "text/exit_codes.h"
#include "archive/zip_archive.h"

extern char** environ;

namespace tavorin {

namespace fs = std::filesystem;

namespace {

// The end of the child's output that is read for its message: enough for
// its last lines, however much a broken book makes it print.
constexpr off_t kOutputTail = 64 * 1024;
// The longest wait without looking at the clock (the terminal's elapsed time).
constexpr int kTickMilliseconds = 1000;
// Without pidfds (kernels before 5.3) the children are looked at this often.
constexpr int kPollMilliseconds = 10;
constexpr char kOutputName[] = "output";

struct RunningJob {
    size_t book = 0;
    pid_t pid = -1;
    int exitFd = -1;             // pidfd: readable once the child has ended; -1 when there is none
    BatchClock::time_point start;
    bool timedOut = false;
    std::string stagingDir;
    std::string workDir;
    std::string stagedBook;      // where the child writes the book
};

// Everything the runner works with, passed around explicitly.
struct Runner {
    const BatchOptions& options;
    const BatchFolders& folders;
    const StopHandling& stop;
    BatchPlan& plan;
    BatchProgress& progress;
    std::optional<ZipArchive> archive;  // open for the whole run when the books are members
    std::vector<RunningJob> jobs;
};

std::string SignalText(int signal) {
    const char* name = strsignal(signal);
    return "killed by signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : std::string());
}

// The last bytes the child printed; empty when there are none.
std::string OutputTail(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return "";
    struct stat st {};
    std::string tail;
    if (fstat(fd, &st) == 0) {
        const off_t from = std::max<off_t>(0, st.st_size - kOutputTail);
        tail.resize(static_cast<size_t>(st.st_size - from));
        const ssize_t n = pread(fd, tail.data(), tail.size(), from);
        tail.resize(n > 0 ? static_cast<size_t>(n) : 0);
    }
    close(fd);
    return tail;
}

// The converter's message: its last line that starts with "Error" or
// "Cannot write" (progress is separated by '\r', lines by '\n').
std::string ConverterMessage(const std::string& captured) {
    size_t end = captured.size();
    while (end > 0) {
        const size_t cut = captured.find_last_of("\r\n", end - 1);
        const size_t begin = cut == std::string::npos ? 0 : cut + 1;
        const std::string_view line(captured.data() + begin, end - begin);
        if (line.starts_with("Error") || line.starts_with("Cannot write")) return std::string(line);
        if (cut == std::string::npos) break;
        end = cut;
    }
    return "";
}

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); !from.empty() && at != std::string::npos; at = text.find(from, at + to.size())) {
        text.replace(at, from.size(), to);
    }
}

// Rounded, not cut: the report's times add up to the children's total.
int64_t MillisecondsSince(BatchClock::time_point start) {
    return std::llround(std::chrono::duration<double, std::milli>(BatchClock::now() - start).count());
}

void FailBook(BatchBook& book, int code, std::string message) {
    book.result = BookResult::kFailed;
    book.exitCode = code;
    book.message = std::move(message);
}

// The book's input file: the book itself, or its member extracted into the
// child's work folder. Throws ArchiveError.
std::string PrepareInput(Runner& runner, const BatchBook& book, const RunningJob& job) {
    if (!runner.plan.fromArchive) return book.inputPath;
    if (!runner.archive) {
        runner.archive.emplace();
        runner.archive->SetArchiveName(runner.options.inputPath);
        runner.archive->Open();
    }
    runner.archive->SetFolder(job.workDir + "/");
    return runner.archive->ExtractMember(book.memberIndex, "book.fb2");
}

// Starts the child for the book; the child's stdout and stderr go to the
// output file in its work folder and its stdin is /dev/null. Returns 0 or
// the error number.
int Spawn(Runner& runner, RunningJob& job, const std::string& input) {
    const std::string outputFile = job.workDir + "/" + kOutputName;
    const std::vector<std::string> args = {runner.options.selfPath, "-s", runner.options.settingsPath, "-t",
                                           job.workDir, "-i", input, "-o", job.stagedBook};
    std::vector<char*> argv;
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, outputFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
    // The child starts with the stop signals unblocked and at their defaults.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, stops;
    sigemptyset(&none);
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &stops);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);

    const int error = posix_spawn(&job.pid, argv[0], &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (error != 0) return error;
    // Through syscall(): the C library's wrapper is newer than this kernel call.
    job.exitFd = static_cast<int>(syscall(SYS_pidfd_open, job.pid, 0));
    return 0;
}

// Moves the staged book to its output path, making its folders.
bool PlaceBook(const std::string& staged, const std::string& target) {
    std::error_code ec;
    fs::create_directories(fs::path(target).parent_path(), ec);
    return !ec && std::rename(staged.c_str(), target.c_str()) == 0;
}

void RecordExit(Runner& runner, RunningJob& job, int status) {
    BatchBook& book = runner.plan.books[job.book];
    book.milliseconds = MillisecondsSince(job.start);
    const std::string target = runner.options.outputFolder + "/" + book.relativeOutput;
    if (job.timedOut) {
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", runner.options.timeLimit);
        FailBook(book, 128 + SIGKILL, std::string("stopped after the time limit of ") + limit + " s");
    } else if (WIFSIGNALED(status)) {
        FailBook(book, 128 + WTERMSIG(status), SignalText(WTERMSIG(status)));
    } else if (WEXITSTATUS(status) != 0) {
        std::string message = ConverterMessage(OutputTail(job.workDir + "/" + kOutputName));
        ReplaceAll(message, job.stagedBook, target);
        FailBook(book, WEXITSTATUS(status), std::move(message));
    } else {
        struct stat st {};
        if (stat(job.stagedBook.c_str(), &st) != 0) {
            FailBook(book, 0, "no book was written");
        } else if (!PlaceBook(job.stagedBook, target)) {
            FailBook(book, kExitCannotWriteOutput, "Cannot write outputfile:" + target);
        } else {
            book.result = BookResult::kConverted;
            book.outputBytes = static_cast<uint64_t>(st.st_size);
        }
    }
}

// Records the book of a child that has ended and removes the child's folders.
void FinishJob(Runner& runner, RunningJob& job, int status, bool stopping) {
    if (job.exitFd >= 0) close(job.exitFd);
    if (stopping) {
        runner.plan.books[job.book].result = BookResult::kInterrupted;
        runner.plan.books[job.book].message = "stopped with the batch";
    } else {
        RecordExit(runner, job, status);
    }
    RemoveTree(job.stagingDir);
    RemoveTree(job.workDir);
    if (!stopping) ShowBookDone(runner.progress, runner.plan.books[job.book]);
}

void StartJob(Runner& runner, size_t index) {
    BatchBook& book = runner.plan.books[index];
    RunningJob job;
    job.book = index;
    const std::string name = std::to_string(index);
    job.stagingDir = runner.folders.staging + "/" + name;
    job.workDir = runner.folders.work + "/" + name;
    job.stagedBook = job.stagingDir + "/" + fs::path(book.relativeOutput).filename().string();
    std::string input;
    bool started = mkdir(job.stagingDir.c_str(), 0700) == 0 && mkdir(job.workDir.c_str(), 0700) == 0;
    if (!started) {
        FailBook(book, kExitCannotWriteOutput, "Cannot write outputfile:" + job.stagingDir);
    } else {
        try {
            input = PrepareInput(runner, book, job);
        } catch (const std::exception&) {
            started = false;
            FailBook(book, kExitCannotExtract, std::string(ErrorMessage(kExitCannotExtract)));
        }
    }
    // The time limit and the book's milliseconds count from here: the child's time only.
    job.start = BatchClock::now();
    if (const int error = started ? Spawn(runner, job, input) : 0; error != 0) {
        started = false;
        FailBook(book, kExitCannotOpenInput, std::string("Error: Cannot start the converter: ") + std::strerror(error));
    }
    if (!started) {
        RemoveTree(job.stagingDir);
        RemoveTree(job.workDir);
        ShowBookDone(runner.progress, book);
        return;
    }
    runner.jobs.push_back(std::move(job));
}

// Reaps the child when it has ended; false while it runs.
bool Reaped(RunningJob& job, int& status, int options) {
    pid_t pid;
    while ((pid = waitpid(job.pid, &status, options)) < 0 && errno == EINTR) {
    }
    return pid == job.pid;
}

// Waits until a child ends, a time limit runs out, a stop signal arrives or
// the clock ticks.
void WaitForChildren(Runner& runner) {
    std::vector<pollfd> fds;
    auto wait = std::chrono::milliseconds(kTickMilliseconds);
    for (const RunningJob& job : runner.jobs) {
        fds.push_back({job.exitFd, POLLIN, 0});  // poll passes over a negative fd
        if (job.exitFd < 0) wait = std::chrono::milliseconds(kPollMilliseconds);
    }
    const auto limit = std::chrono::duration<double>(runner.options.timeLimit);
    const BatchClock::time_point now = BatchClock::now();
    if (runner.options.timeLimit > 0) {
        for (const RunningJob& job : runner.jobs) {
            if (job.timedOut) continue;
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(job.start + limit - now) +
                              std::chrono::milliseconds(1);
            wait = std::max(std::chrono::milliseconds(0), std::min(wait, left));
        }
    }
    const struct timespec timeout = {static_cast<time_t>(wait.count() / 1000),
                                     static_cast<long>(wait.count() % 1000 * 1000000)};
    if (ppoll(fds.data(), fds.size(), &timeout, &runner.stop.waitMask) < 0) return;  // a stop signal, or EINTR
    for (size_t i = runner.jobs.size(); i-- > 0;) {
        int status = 0;
        if (fds[i].fd >= 0 && fds[i].revents == 0) continue;
        if (!Reaped(runner.jobs[i], status, WNOHANG)) continue;
        FinishJob(runner, runner.jobs[i], status, false);
        runner.jobs.erase(runner.jobs.begin() + static_cast<std::ptrdiff_t>(i));
    }
    if (runner.options.timeLimit > 0) {
        for (RunningJob& job : runner.jobs) {
            if (!job.timedOut && BatchClock::now() - job.start >= limit) {
                job.timedOut = true;
                kill(job.pid, SIGKILL);  // its pidfd then becomes readable and the job is finished above
            }
        }
    }
}

void StopAll(Runner& runner) {
    for (RunningJob& job : runner.jobs) kill(job.pid, SIGKILL);
    for (RunningJob& job : runner.jobs) {
        int status = 0;
        Reaped(job, status, 0);
        FinishJob(runner, job, status, true);
    }
    runner.jobs.clear();
    for (BatchBook& book : runner.plan.books) {
        if (book.result != BookResult::kPending) continue;
        book.result = BookResult::kInterrupted;
        book.message = "not started, the batch was stopped";
    }
}

}  // namespace

void RemoveTree(const std::string& path) {
    std::error_code ec;
    if (!path.empty()) fs::remove_all(path, ec);
}

int RunBooks(const BatchOptions& options, const BatchFolders& folders, const StopHandling& stop, BatchPlan& plan,
             BatchProgress& progress) {
    Runner runner{options, folders, stop, plan, progress, std::nullopt, {}};
    const size_t jobLimit = static_cast<size_t>(options.jobs);
    size_t next = 0;
    for (;;) {
        if (StopSignal() != 0) {
            StopAll(runner);
            return StopSignal();
        }
        while (runner.jobs.size() < jobLimit && next < plan.books.size()) {
            if (plan.books[next].result == BookResult::kPending) StartJob(runner, next);
            ++next;
        }
        if (runner.jobs.empty()) return 0;
        WaitForChildren(runner);
        RedrawProgress(progress);
    }
}

}  // namespace tavorin
