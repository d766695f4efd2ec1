// A child process started with fork/execve, watched with waitpid and killed on destruction.
#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace {

std::vector<char*> pointersTo(std::vector<std::string>& strings) {
    std::vector<char*> pointers;
    for (auto& s : strings) pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Runs in the forked child only: wire up output, die with the parent, exec.
[[noreturn]] void execChild(const LaunchOptions& options, std::vector<std::string> environment) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const char* path = options.outputPath.empty() ? "/dev/null" : options.outputPath.c_str();
    const int out = open(path, O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        close(out);
    }
    const int in = open("/dev/null", O_RDONLY);
    if (in >= 0) {
        dup2(in, STDIN_FILENO);
        close(in);
    }
    for (const int descriptor : options.inheritedDescriptors) fcntl(descriptor, F_SETFD, 0);
    if (options.ownProcessGroup) setpgid(0, 0);
    if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) _exit(127);
    std::vector<std::string> argv = options.argv;
    execve(argv[0].c_str(), pointersTo(argv).data(), pointersTo(environment).data());
    _exit(127);
}

int statusFromWait(int raw) { return WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw); }

} // namespace

std::vector<std::string> childEnvironment(const std::map<std::string, std::optional<std::string>>& changes) {
    std::vector<std::string> result;
    for (char** entry = environ; *entry; ++entry) {
        const std::string variable = *entry;
        const std::string name = variable.substr(0, variable.find('='));
        if (!changes.count(name)) result.push_back(variable);
    }
    for (const auto& [name, value] : changes)
        if (value) result.push_back(name + "=" + *value);
    return result;
}

std::unique_ptr<ChildProcess> ChildProcess::launch(const LaunchOptions& options) {
    std::vector<std::string> environment = childEnvironment(options.environment);
    const pid_t pid = fork();
    if (pid < 0) return nullptr;
    if (pid == 0) execChild(options, std::move(environment));
    // Also here, so that the group exists before the parent may signal it.
    if (options.ownProcessGroup) setpgid(pid, pid);
    return std::unique_ptr<ChildProcess>(new ChildProcess(pid, options.outputPath, options.ownProcessGroup));
}

ChildProcess::~ChildProcess() { terminate(); }

bool ChildProcess::reap(int options) {
    if (status_) return true;
    int raw = 0;
    if (waitpid(pid_, &raw, options) != pid_) return false;
    status_ = statusFromWait(raw);
    return true;
}

bool ChildProcess::running() { return !reap(WNOHANG); }

std::optional<int> ChildProcess::waitForExit(double timeoutSeconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
    while (!reap(WNOHANG)) {
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return status_;
}

void ChildProcess::signal(int number) { kill(group_ ? -pid_ : pid_, number); }

int ChildProcess::terminate() {
    if (running()) {
        signal(SIGTERM);
        if (!waitForExit(2.0)) {
            signal(SIGKILL);
            reap(0);
        }
    }
    // What the group's leader started may outlive it.
    if (group_) kill(-pid_, SIGKILL);
    return *status_;
}

std::string ChildProcess::output() const {
    std::ifstream file(outputPath_);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string findOnPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    const std::string directories = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= directories.size();) {
        const size_t end = std::min(directories.find(':', start), directories.size());
        const std::filesystem::path candidate = std::filesystem::path(directories.substr(start, end - start)) / program;
        if (access(candidate.c_str(), X_OK) == 0) return candidate.string();
        start = end + 1;
    }
    return "";
}

ToolRun runTool(std::vector<std::string> argv, double timeoutSeconds,
                std::map<std::string, std::optional<std::string>> environment) {
    if (argv.empty()) return {};
    if (argv[0].find('/') == std::string::npos) {
        const std::string found = findOnPath(argv[0]);
        if (found.empty()) return {std::nullopt, argv[0] + ": not found on PATH"};
        argv[0] = found;
    }
    char pattern[] = "/tmp/tessivar-tool-XXXXXX";
    const int file = mkstemp(pattern);
    if (file < 0) return {};
    close(file);
    LaunchOptions options;
    options.argv = std::move(argv);
    options.environment = std::move(environment);
    options.outputPath = pattern;
    ToolRun run;
    if (auto child = ChildProcess::launch(options)) {
        run.status = child->waitForExit(timeoutSeconds);
        child->terminate();
        run.output = child->output();
    }
    unlink(pattern);
    return run;
}
