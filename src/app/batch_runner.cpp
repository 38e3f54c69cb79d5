// The batch's child processes. Each book is converted by the executable
// itself, started with the single-book arguments, so a book that crashes,
// exhausts memory or hangs cannot stop the batch or touch another book.
//
// Each child gets two folders of its own, both named by the book's number:
// one in the staging folder (inside the output folder, so that the finished
// book is moved into place by a rename on the same file system) and one in
// the work folder (its temporary files, among them the member it extracts
// from a many-book archive, and the result file in which it leaves its exit code and
// message, named to it by an environment variable). Whatever way the child
// ends, both are removed; only a child that ends with code 0 has its book
// renamed to its output path. A child that leaves no result (killed, crashed)
// is judged by the signal or exit status that ended it.
//
// Each child runs in a process group of its own, so that the terminal's
// Ctrl-C reaches the batch alone (it stops its children itself), and dies
// with the batch (PR_SET_PDEATHSIG), so none converts on as an orphan.
//
// The batch sleeps until a child ends (a pidfd becomes readable), a time
// limit runs out or a stop signal arrives: the children's console output
// goes to /dev/null, not through a pipe that would wake the batch at every
// percentage.
#include "app/batch_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <sched.h>
#include <sys/prctl.h>
#include <sys/resource.h>
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

#include "app/child_result.h"
#include "app/run_state.h"
#include "text/exit_codes.h"

extern char** environ;

namespace tavorin {

namespace fs = std::filesystem;

namespace {

// The longest wait without looking at the clock (the terminal's elapsed time).
constexpr int kTickMilliseconds = 1000;
// Without pidfds (kernels before 5.3) the children are looked at this often.
constexpr int kPollMilliseconds = 10;
constexpr char kResultName[] = "result";
// The name the children show in the process table.
constexpr char kChildName[] = "tavorin_c";
// The stack the child runs on until it execs.
constexpr size_t kChildStackBytes = 64 * 1024;

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
    std::vector<RunningJob> jobs;
    std::vector<char> childStack = std::vector<char>(kChildStackBytes);
};

std::string SignalText(int signal) {
    const char* name = strsignal(signal);
    return "killed by signal " + std::to_string(signal) + (name ? std::string(" (") + name + ")" : std::string());
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

void FailBook(BatchBook& book, Status status) { FailBook(book, ExitNumber(status.code), std::move(status.message)); }

// What the child does from its start to the exec, all prepared beforehand:
// it shares the batch's memory until then, so it only makes system calls.
struct ChildStart {
    const char* path;
    char* const* argv;
    char* const* envp;
    pid_t parent;
    rlim_t memoryLimit;  // bytes of address space; 0 for none
    int error;  // set by the child when it cannot start the converter
};

// Sanitizer builds reserve terabytes of address space for their shadow
// memory at start, which no address-space limit allows: their children run
// without one.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kAddressSpaceLimits = false;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kAddressSpaceLimits = false;
#else
constexpr bool kAddressSpaceLimits = true;
#endif
#else
constexpr bool kAddressSpaceLimits = true;
#endif

// The child's side of Spawn; it never returns.
__attribute__((no_sanitize("address", "undefined"))) int ChildMain(void* argument) {
    ChildStart& start = *static_cast<ChildStart*>(argument);
    setpgid(0, 0);
    // Checked after it is set: a batch that died just before has left the child to another parent.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != start.parent) _exit(127);
    // A stop signal sent to the batch's process group before the setpgid above
    // is pending here; ignoring it discards it (the batch got it too and stops
    // this child itself), so the child never dies of it as a failed book.
    for (const int signal : kStopSignals) {
        ::signal(signal, SIG_IGN);
        ::signal(signal, SIG_DFL);
    }
    ::signal(SIGPIPE, SIG_DFL);
    // The memory limit: an allocation past it fails, and the child ends with
    // "Out of memory" naming the limit, alone.
    if (start.memoryLimit != 0) {
        const struct rlimit limit = {start.memoryLimit, start.memoryLimit};
        if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(127);
    }
    sigset_t none;
    sigemptyset(&none);
    pthread_sigmask(SIG_SETMASK, &none, nullptr);
    const int null = open("/dev/null", O_RDWR);
    if (null >= 0 && dup2(null, STDIN_FILENO) >= 0 && dup2(null, STDOUT_FILENO) >= 0 &&
        dup2(null, STDERR_FILENO) >= 0) {
        if (null > STDERR_FILENO) close(null);
        execve(start.path, start.argv, start.envp);
    }
    start.error = errno;
    _exit(127);
}

// Pointers to the strings, ended by a null pointer, as execve takes them.
std::vector<char*> PointerList(const std::vector<std::string>& strings) {
    std::vector<char*> list;
    for (const std::string& text : strings) list.push_back(const_cast<char*>(text.c_str()));
    list.push_back(nullptr);
    return list;
}

// The batch's environment with the child's result file in it.
std::vector<std::string> ChildEnvironment(const RunningJob& job) {
    const std::string name = std::string(kResultFileVariable) + "=";
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry) {
        if (!std::string_view(*entry).starts_with(name)) environment.emplace_back(*entry);
    }
    environment.push_back(name + job.workDir + "/" + kResultName);
    return environment;
}

// Starts the child for the book with stdin, stdout and stderr on /dev/null.
// Returns 0 or the error number. The batch waits (CLONE_VFORK) until the
// child has started the converter or failed to.
int Spawn(Runner& runner, RunningJob& job, const BatchBook& book) {
    const BatchOptions& options = runner.options;
    std::vector<std::string> args = {kChildName, "-s", options.settingsPath, "-t", job.workDir, "-i",
                                     book.inputPath, "-o", job.stagedBook,
                                     "--member-limit", std::to_string(options.memberLimit >> 20)};
    // A member of a many-book archive is extracted by its child, inside its time and memory limits.
    if (book.memberIndex >= 0) args.insert(args.end(), {"--member", std::to_string(book.memberIndex)});
    const std::vector<std::string> environment = ChildEnvironment(job);
    const std::vector<char*> argv = PointerList(args);
    const std::vector<char*> envp = PointerList(environment);
    // Never above the limit the batch itself runs under (a child cannot raise it).
    rlim_t memory = kAddressSpaceLimits ? static_cast<rlim_t>(options.memoryLimit) : 0;
    struct rlimit own {};
    if (memory != 0 && getrlimit(RLIMIT_AS, &own) == 0 && own.rlim_cur != RLIM_INFINITY) {
        memory = std::min(memory, own.rlim_cur);
    }
    ChildStart start{options.selfPath.c_str(), argv.data(), envp.data(), getpid(), memory, 0};
    job.pid = clone(ChildMain, runner.childStack.data() + runner.childStack.size(), CLONE_VM | CLONE_VFORK | SIGCHLD,
                    &start);
    if (job.pid < 0) return errno;
    if (start.error != 0) {
        int status = 0;
        waitpid(job.pid, &status, 0);
        return start.error;
    }
    // Through syscall(): the C library's wrapper is newer than this kernel call.
    job.exitFd = static_cast<int>(syscall(SYS_pidfd_open, job.pid, 0));
    return 0;
}

// Moves the staged book to its output path, making its folders; returns
// why it cannot, or an empty string.
std::string PlaceBook(const std::string& staged, const std::string& target) {
    std::error_code ec;
    fs::create_directories(fs::path(target).parent_path(), ec);
    if (ec) return ec.message();
    return std::rename(staged.c_str(), target.c_str()) == 0 ? std::string() : std::strerror(errno);
}

void RecordExit(Runner& runner, RunningJob& job, int status) {
    BatchBook& book = runner.plan.books[job.book];
    book.milliseconds = MillisecondsSince(job.start);
    const std::string target = runner.options.outputFolder + "/" + book.relativeOutput;
    if (job.timedOut) {
        char limit[32];
        std::snprintf(limit, sizeof limit, "%g", runner.options.timeLimit);
        FailBook(book, 128 + SIGKILL, std::string("stopped after the time limit of ") + limit + " s");
        return;
    }
    // The child's own word when it left one; else how it ended.
    std::optional<ChildResult> result = ReadChildResult(job.workDir + "/" + kResultName);
    if (!result && WIFSIGNALED(status)) {
        FailBook(book, 128 + WTERMSIG(status), SignalText(WTERMSIG(status)));
    } else if (!result && WEXITSTATUS(status) != 0) {
        FailBook(book, WEXITSTATUS(status), "ended with code " + std::to_string(WEXITSTATUS(status)) +
                                                " and left no result");
    } else if (result && result->exitCode != 0) {
        ReplaceAll(result->message, job.stagedBook, target);
        FailBook(book, result->exitCode, std::move(result->message));
    } else {
        struct stat st {};
        if (stat(job.stagedBook.c_str(), &st) != 0) {
            FailBook(book, 0, "no book was written");
        } else if (const std::string reason = PlaceBook(job.stagedBook, target); !reason.empty()) {
            FailBook(book, Fail(kExitCannotWriteOutput, target + ": " + reason));
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
    bool started = mkdir(job.stagingDir.c_str(), 0700) == 0 && mkdir(job.workDir.c_str(), 0700) == 0;
    if (!started) FailBook(book, Fail(kExitCannotWriteOutput, job.stagingDir));
    // The time limit and the book's milliseconds count from here: the child's time only.
    job.start = BatchClock::now();
    if (const int error = started ? Spawn(runner, job, book) : 0; error != 0) {
        started = false;
        FailBook(book, Fail(kExitCannotStart, std::strerror(error)));
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
    Runner runner{options, folders, stop, plan, progress, {}, std::vector<char>(kChildStackBytes)};
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
