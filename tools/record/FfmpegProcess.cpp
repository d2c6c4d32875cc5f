#include "FfmpegProcess.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

extern char** environ;

namespace cm::record {

namespace {
bool IsExecutableFile(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}
}  // namespace

std::string FindProgram(const std::string& program) {
    if (program.empty()) return {};
    if (program.find('/') != std::string::npos) return IsExecutableFile(program) ? program : std::string();
    const char* path = std::getenv("PATH");
    std::stringstream dirs(path ? path : "/usr/local/bin:/usr/bin:/bin");
    std::string dir;
    while (std::getline(dirs, dir, ':')) {
        const std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
        if (IsExecutableFile(candidate)) return candidate;
    }
    return {};
}

FfmpegProcess::~FfmpegProcess() { Stop(); }

void FfmpegProcess::Stop() {
    if (input_ >= 0) close(input_);
    input_ = -1;
    if (output_ >= 0) close(output_);
    output_ = -1;
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
    }
    pid_ = -1;
}

bool FfmpegProcess::Start(const std::string& path, const std::vector<std::string>& args, bool withInput,
                          const std::string& logPath, std::string& error) {
    return Spawn(path, args, withInput, false, logPath, error);
}

bool FfmpegProcess::StartReading(const std::string& path, const std::vector<std::string>& args,
                                 const std::string& logPath, std::string& error) {
    return Spawn(path, args, false, true, logPath, error);
}

bool FfmpegProcess::Spawn(const std::string& path, const std::vector<std::string>& args, bool withInput,
                          bool withOutput, const std::string& logPath, std::string& error) {
    if (pid_ > 0) {
        error = "ffmpeg is already running";
        return false;
    }
    // A child that dies early must show up as a failed write, not kill the recorder.
    std::signal(SIGPIPE, SIG_IGN);
    int in[2] = {-1, -1}, out[2] = {-1, -1};
    if ((withInput && pipe2(in, O_CLOEXEC) != 0) || (withOutput && pipe2(out, O_CLOEXEC) != 0)) {
        error = std::string("cannot make a pipe: ") + std::strerror(errno);
        for (int fd : {in[0], in[1]}) {
            if (fd >= 0) close(fd);
        }
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (withInput) posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    else posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (withOutput) posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    else posix_spawn_file_actions_adddup2(&actions, 2, 1);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const int rc = posix_spawn(&pid_, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (withInput) close(in[0]);
    if (withOutput) close(out[1]);
    if (rc != 0) {
        pid_ = -1;
        if (withInput) close(in[1]);
        if (withOutput) close(out[0]);
        error = "cannot start " + path + ": " + std::strerror(rc);
        return false;
    }
    input_ = withInput ? in[1] : -1;
    output_ = withOutput ? out[0] : -1;
    return true;
}

bool FfmpegProcess::Write(const void* data, size_t bytes) {
    if (input_ < 0) return false;
    const char* p = static_cast<const char*>(data);
    while (bytes > 0) {
        const ssize_t n = write(input_, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= size_t(n);
    }
    return true;
}

bool FfmpegProcess::Read(void* data, size_t bytes) {
    if (output_ < 0) return false;
    char* p = static_cast<char*>(data);
    while (bytes > 0) {
        const ssize_t n = read(output_, p, bytes);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        p += n;
        bytes -= size_t(n);
    }
    return true;
}

bool FfmpegProcess::Finish(std::string& error) {
    for (int* fd : {&input_, &output_}) {
        if (*fd >= 0) close(*fd);
        *fd = -1;
    }
    if (pid_ <= 0) {
        error = "ffmpeg was not running";
        return false;
    }
    int status = 0;
    pid_t r;
    while ((r = waitpid(pid_, &status, 0)) < 0 && errno == EINTR) {
    }
    pid_ = -1;
    if (r < 0) {
        error = std::string("cannot wait for ffmpeg: ") + std::strerror(errno);
        return false;
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return true;
    error = WIFEXITED(status) ? "ffmpeg failed with exit status " + std::to_string(WEXITSTATUS(status))
                              : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(status));
    return false;
}

std::string LogTail(const std::string& path, size_t maxBytes) {
    std::ifstream f(path, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    if (text.size() > maxBytes) text = "..." + text.substr(text.size() - maxBytes);
    return text;
}

}  // namespace cm::record
