#include "server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

std::string read_text(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

CServerProcess::CServerProcess(const std::vector<std::string>& options, int log_bytes_per_second) {
    int out = -1;
    if (log_bytes_per_second == 0) {
        char log[] = "/tmp/zelvorant-bench-server.XXXXXX";
        out = mkstemp(log);
        log_file_ = log;
    } else {
        int fds[2];
        if (pipe2(fds, O_CLOEXEC) != 0)
            return;
        fcntl(fds[0], F_SETPIPE_SZ, 4096);
        pipe_ = fds[0];
        out = fds[1];
    }
    std::vector<std::string> args = {"zelvorant-server", "--address", "127.0.0.1", "--port", "0"};
    args.insert(args.end(), options.begin(), options.end());
    pid_ = fork();
    if (pid_ == 0) {
        dup2(out, 2);
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(ZELVORANT_SERVER_PROGRAM, argv.data());
        _exit(127);
    }
    close(out);
    if (pipe_ >= 0) {
        reader_ = std::thread([this, log_bytes_per_second] {
            // A tenth of a second's worth at a time.
            std::vector<char> buffer(static_cast<std::size_t>(std::max(1, log_bytes_per_second / 10)));
            while (!stop_reading_) {
                pollfd p = {pipe_, POLLIN, 0};
                if (poll(&p, 1, 50) <= 0)
                    continue;
                const ssize_t n = read(pipe_, buffer.data(), buffer.size());
                if (n <= 0)
                    return;
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    piped_.append(buffer.data(), static_cast<std::size_t>(n));
                }
                std::this_thread::sleep_for(std::chrono::milliseconds(100));
            }
        });
    }
    for (int i = 0; i < 500 && port_ == 0; ++i) {
        const std::string text = this->log();
        const std::size_t at = text.find("listening on 127.0.0.1:");
        if (at != std::string::npos)
            port_ = static_cast<std::uint16_t>(std::atoi(text.c_str() + at + 23));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

CServerProcess::~CServerProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    stop_reading_ = true;
    if (reader_.joinable())
        reader_.join();
    if (pipe_ >= 0)
        close(pipe_);
    if (!log_file_.empty())
        std::remove(log_file_.c_str());
}

std::string CServerProcess::log() const {
    if (pipe_ < 0)
        return read_text(log_file_);
    std::lock_guard<std::mutex> lock(mutex_);
    return piped_;
}

double CServerProcess::terminate(double limit) {
    kill(pid_, SIGTERM);
    const auto start = std::chrono::steady_clock::now();
    for (;;) {
        const double waited = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        if (waitpid(pid_, nullptr, WNOHANG) == pid_) {
            pid_ = -1;
            return waited;
        }
        if (waited > limit)
            return -1;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

double CServerProcess::cpu_seconds() const {
    std::istringstream fields(read_text("/proc/" + std::to_string(pid_) + "/stat"));
    std::string f;
    double ticks = 0;
    for (int i = 1; fields >> f && i <= 15; ++i)
        if (i >= 14)
            ticks += std::atof(f.c_str());
    return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double CServerProcess::status_kb(const std::string& name) const {
    std::istringstream lines(read_text("/proc/" + std::to_string(pid_) + "/status"));
    for (std::string line; std::getline(lines, line);)
        if (line.rfind(name + ":", 0) == 0)
            return std::atof(line.c_str() + name.size() + 1);
    return 0;
}
