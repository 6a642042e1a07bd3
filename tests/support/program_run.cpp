#include "program_run.h"

#include <grp.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "gl_window.h"
#include "scratch_folder.h"

namespace fs = std::filesystem;

bool wait_for(const std::function<bool()>& done, double seconds) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (done())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

void let_run(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

std::string read_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

CProgramRun::CProgramRun(std::string folder) : dir_(std::move(folder)) {}

CProgramRun::~CProgramRun() {
    if (running()) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (read_only_)
        chmod(dir_.c_str(), 0755);  // so that it can be removed
    if (!temporary_.empty()) {
        std::error_code ignored;
        fs::remove_all(temporary_, ignored);
    }
}

void CProgramRun::set_environment(const std::string& name, const std::string& value) {
    environment_.emplace_back(name, value);
}

void CProgramRun::link(const std::string& path) {
    fs::create_symlink(path, fs::path(dir_) / fs::path(path).filename());
}

bool CProgramRun::move_to_read_only_copy(std::string& xauth) {
    std::string base = (fs::temp_directory_path() / "zelvorant-run-XXXXXX").string();
    if (mkdtemp(base.data()) == nullptr)
        return false;
    temporary_ = base;
    chmod(base.c_str(), 0755);
    const std::string copy = base + "/" + fs::path(dir_).filename().string();
    std::error_code error;
    fs::copy(dir_, copy, fs::copy_options::recursive, error);
    if (error)
        return false;
    dir_ = copy;
    // The output files exist before the folder closes, so that an unprivileged owner can still write them.
    std::ofstream(dir_ + "/stdout.txt");
    std::ofstream(dir_ + "/stderr.txt");
    read_only_ = true;
    chmod(dir_.c_str(), 0555);
    // The unprivileged program must still reach the X server.
    if (const char* authority = std::getenv("XAUTHORITY")) {
        xauth = base + "/xauth";
        if (!fs::copy_file(authority, xauth, error) || chmod(xauth.c_str(), 0644) != 0)
            return false;
    }
    return true;
}

bool CProgramRun::start(const std::string& program, bool read_only, const std::vector<std::string>& args) {
    std::string xauth;
    if (read_only && !move_to_read_only_copy(xauth))
        return false;
    // Built before the fork: the child only calls what is safe there.
    const std::string name = fs::path(program).filename().string();
    std::vector<char*> argv{const_cast<char*>(name.c_str())};
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    pid_ = fork();
    if (pid_ < 0)
        return false;
    if (pid_ == 0) {
        // Ends with the test program, even if that crashes.
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (chdir(dir_.c_str()) != 0)
            _exit(120);
        if (!std::freopen("stdout.txt", "w", stdout) || !std::freopen("stderr.txt", "w", stderr))
            _exit(121);
        for (const auto& [name, value] : environment_)
            setenv(name.c_str(), value.c_str(), 1);
        // Sound goes nowhere unless a test asks for an output driver: no test plays on a real device,
        // and no machine's lack of one adds a line on standard error.
        setenv("ALSOFT_DRIVERS", "null", 0);
        if (read_only && geteuid() == 0) {
            if (!xauth.empty())
                setenv("XAUTHORITY", xauth.c_str(), 1);
            const gid_t nobody_group = 65534;
            if (setgroups(0, nullptr) != 0 || setgid(nobody_group) != 0 || setuid(65534) != 0)
                _exit(123);
        }
        execv(program.c_str(), argv.data());
        _exit(122);
    }
    return true;
}

bool CProgramRun::wait_output(const std::string& text, double seconds) {
    return wait_for([&] { return output() == text; }, seconds);
}

bool CProgramRun::running() {
    if (pid_ <= 0 || exited_)
        return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        code_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1 - WTERMSIG(status);
    }
    return !exited_;
}

int CProgramRun::wait_exit(double seconds) {
    if (pid_ <= 0 || !wait_for([&] { return !running(); }, seconds))
        return -1000;
    return code_;
}

std::string game_folder(const std::string& name, const std::string& run_dir) {
    namespace fs = std::filesystem;
    const std::string dir = scratch_dir(name);
    for (const char* data : {"gfx", "sfx"})
        fs::create_directory_symlink(fs::path(run_dir) / data, fs::path(dir) / data);
    return dir;
}

std::vector<std::filesystem::path> recordings_in(const std::string& folder) {
    std::vector<std::filesystem::path> found;
    if (std::filesystem::exists(folder + "/replays"))
        for (const auto& e : std::filesystem::directory_iterator(folder + "/replays"))
            found.push_back(e.path());
    return found;
}
