// The ffmpeg program as a child process: found on PATH (or named), started with its standard
// input on a pipe we write raw frames to, its messages kept in a log file, and its exit status
// checked. Writing to a child that has died fails cleanly (SIGPIPE is ignored while one runs).
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <string>
#include <vector>

namespace cm::record {

// The program's full path: `program` itself when it holds a '/', else the first executable of
// that name on PATH. Empty when there is none.
std::string FindProgram(const std::string& program);

class FfmpegProcess {
public:
    FfmpegProcess() = default;
    FfmpegProcess(const FfmpegProcess&) = delete;
    FfmpegProcess& operator=(const FfmpegProcess&) = delete;
    // Stops a child that was never finished (an abandoned recording).
    ~FfmpegProcess();

    // Starts `path` with args (without argv[0]); its standard input is a pipe when withInput,
    // /dev/null otherwise; standard output and error go to logPath. False with a message.
    bool Start(const std::string& path, const std::vector<std::string>& args, bool withInput,
               const std::string& logPath, std::string& error);
    // The same with the child's standard output on a pipe we read from (its messages still go
    // to logPath) and its standard input from /dev/null.
    bool StartReading(const std::string& path, const std::vector<std::string>& args, const std::string& logPath,
                      std::string& error);
    // Writes all bytes to the pipe. False once the child has stopped reading.
    bool Write(const void* data, size_t bytes);
    // Reads exactly `bytes` from the pipe. False at its end (or any failure) before that.
    bool Read(void* data, size_t bytes);
    // Closes the pipe and waits. True only when the child exited with status 0.
    bool Finish(std::string& error);
    // Ends a running child (SIGTERM) and waits for it to exit; nothing when none runs.
    void Stop();

private:
    bool Spawn(const std::string& path, const std::vector<std::string>& args, bool withInput, bool withOutput,
               const std::string& logPath, std::string& error);

    pid_t pid_ = -1;
    int input_ = -1;
    int output_ = -1;
};

// The last lines of a log file (at most maxBytes), for error messages.
std::string LogTail(const std::string& path, size_t maxBytes = 2000);

}  // namespace cm::record
