#pragma once

// The real zelvorant-server for the benchmarks, on 127.0.0.1 at a port the system chooses, its log
// in a temporary file or, for the slow-reader case, on a pipe read at a set pace. What /proc says of
// it: processor time and memory.
#include <sys/types.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class CServerProcess {
  public:
    // `log_bytes_per_second` 0: the log goes to a file; otherwise to a pipe read at that pace.
    explicit CServerProcess(const std::vector<std::string>& options = {}, int log_bytes_per_second = 0);
    ~CServerProcess();
    CServerProcess(const CServerProcess&) = delete;
    CServerProcess& operator=(const CServerProcess&) = delete;

    std::uint16_t port() const { return port_; }
    // Seconds of processor time it has used so far.
    double cpu_seconds() const;
    // A line of /proc/PID/status in kB ("VmRSS", "VmHWM").
    double status_kb(const std::string& name) const;
    // What it has logged so far (what the reader has read, for a pipe).
    std::string log() const;
    // Sends SIGTERM; the seconds until it exited, or -1 when it had not within `limit`.
    double terminate(double limit);

  private:
    pid_t pid_ = -1;
    std::string log_file_;
    int pipe_ = -1;
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string piped_;
    std::atomic<bool> stop_reading_{false};
    std::uint16_t port_ = 0;
};

std::string read_text(const std::string& path);
