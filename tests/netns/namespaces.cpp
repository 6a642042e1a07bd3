#include "namespaces.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sched.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>
#include <thread>

extern char** environ;

namespace fs = std::filesystem;

namespace {

const char* const NETNS_DIR = "/run/netns";

// Names the trap removes on SIGINT/SIGTERM/SIGHUP: fixed storage, as the handler may not allocate.
constexpr int TRAP_SLOTS = 256;
constexpr int NAME_LENGTH = 64;
char trapped[TRAP_SLOTS][NAME_LENGTH];
std::mutex trap_mutex;

void remove_trapped_and_die(int signal_number) {
    for (auto& name : trapped) {
        if (name[0] == '\0') {
            continue;
        }
        const pid_t child = fork();
        if (child == 0) {
            // execve alone of the exec calls may be made here.
            char* const args[] = {const_cast<char*>("ip"), const_cast<char*>("netns"),
                                  const_cast<char*>("delete"), name, nullptr};
            char* const no_environment[] = {nullptr};
            execve("/usr/sbin/ip", args, no_environment);
            execve("/sbin/ip", args, no_environment);
            _exit(127);
        }
        if (child > 0) {
            waitpid(child, nullptr, 0);
        }
    }
    signal(signal_number, SIG_DFL);
    raise(signal_number);
}

void trap(const std::string& name, bool keep) {
    static std::once_flag installed;
    std::call_once(installed, [] {
        for (int s : {SIGINT, SIGTERM, SIGHUP}) {
            signal(s, remove_trapped_and_die);
        }
    });
    std::lock_guard<std::mutex> lock(trap_mutex);
    for (auto& slot : trapped) {
        if (keep && slot[0] == '\0' && name.size() < NAME_LENGTH) {
            std::memcpy(slot, name.c_str(), name.size() + 1);
            return;
        }
        if (!keep && name == slot) {
            slot[0] = '\0';
            return;
        }
    }
}

// Processes still inside a namespace keep it (and its interfaces) alive after `ip netns delete`.
void delete_namespace(const std::string& name) {
    std::string pids;
    run_command({"ip", "netns", "pids", name}, &pids, 5);
    std::istringstream in(pids);
    for (pid_t pid = 0; in >> pid;) {
        if (pid > 1 && pid != getpid()) {
            kill(pid, SIGKILL);
        }
    }
    run_command({"ip", "netns", "delete", name}, nullptr, 5);
}

// Leftovers of earlier runs of the same test whose process has gone: "<prefix><pid>-...".
void sweep(const std::string& test_prefix) {
    std::error_code ignored;
    for (const auto& entry : fs::directory_iterator(NETNS_DIR, ignored)) {
        const std::string name = entry.path().filename().string();
        if (name.compare(0, test_prefix.size(), test_prefix) != 0) {
            continue;
        }
        const long pid = std::strtol(name.c_str() + test_prefix.size(), nullptr, 10);
        if (pid > 0 && kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) {
            delete_namespace(name);
        }
    }
}

int open_namespace(const std::string& name) {
    return open((std::string(NETNS_DIR) + "/" + name).c_str(), O_RDONLY);
}

}  // namespace

int run_command(const std::vector<std::string>& argv, std::string* output, double seconds) {
    char capture[] = "/tmp/zv-command-XXXXXX";
    const int out = mkstemp(capture);
    if (out < 0) {
        return -1;
    }
    unlink(capture);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, 1);
    posix_spawn_file_actions_adddup2(&actions, out, 2);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    std::vector<char*> args;
    for (const std::string& a : argv) {
        args.push_back(const_cast<char*>(a.c_str()));
    }
    args.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int code = -1;
    if (spawned == 0) {
        const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
        int status = 0;
        pid_t done = 0;
        while ((done = waitpid(pid, &status, WNOHANG)) == 0 && std::chrono::steady_clock::now() < end) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        if (done == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        } else if (done == pid && WIFEXITED(status)) {
            code = WEXITSTATUS(status);
        }
    }
    if (output != nullptr) {
        output->clear();
        lseek(out, 0, SEEK_SET);
        char buffer[4096];
        for (ssize_t n = 0; (n = read(out, buffer, sizeof buffer)) > 0;) {
            output->append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(out);
    return code;
}

bool namespaces_available() {
    static const bool available = [] {
        if (geteuid() != 0 || run_command({"nft", "--version"}) != 0) {
            return false;
        }
        CNamespaces probe("probe");
        return !probe.add("x").empty();
    }();
    return available;
}

std::vector<std::string> inside(const std::string& name, const std::vector<std::string>& argv) {
    std::vector<std::string> full{"nsenter", "--net=" + std::string(NETNS_DIR) + "/" + name};
    full.insert(full.end(), argv.begin(), argv.end());
    return full;
}

bool start_inside(CProgramRun& run, const std::string& name, const std::vector<std::string>& argv) {
    std::vector<std::string> args = inside(name, argv);
    args.erase(args.begin());
    return run.start("/usr/bin/nsenter", false, args);
}
CNamespaces::CNamespaces(const std::string& test) {
    const std::string test_prefix = "zv-" + test + "-";
    sweep(test_prefix);
    static int serial = 0;
    static std::mutex serial_mutex;
    std::lock_guard<std::mutex> lock(serial_mutex);
    prefix_ = test_prefix + std::to_string(getpid()) + "-" + std::to_string(serial++) + "-";
}

CNamespaces::~CNamespaces() {
    for (auto it = names_.rbegin(); it != names_.rend(); ++it) {
        delete_namespace(*it);
        trap(*it, false);
    }
}

std::string CNamespaces::add(const std::string& role) {
    const std::string name = prefix_ + role;
    // Owned before it exists: an "ip netns add" cut short may still leave the namespace behind.
    trap(name, true);
    names_.push_back(name);
    std::string output;
    const int code = run_command({"ip", "netns", "add", name}, &output, 30);
    if (code != 0) {
        fail("ip netns add " + name + ": " + std::to_string(code) + " " + output);
        return "";
    }
    if (!run(name, {"ip", "link", "set", "lo", "up"})) {
        return "";
    }
    return name;
}

bool CNamespaces::run(const std::string& name, const std::vector<std::string>& argv, std::string* output) {
    std::string text;
    const int code = run_command(inside(name, argv), &text, 30);
    if (code != 0) {
        std::string line;
        for (const std::string& a : argv) {
            line += a + " ";
        }
        return fail("in " + name + ": " + line + "-> " + std::to_string(code) + " " + text);
    }
    if (output != nullptr) {
        *output = text;
    }
    return true;
}

bool CNamespaces::link(const std::string& a, const std::string& a_interface, const std::string& a_address,
                       const std::string& b, const std::string& b_interface, const std::string& b_address) {
    std::string output;
    if (run_command({"ip", "link", "add", a_interface, "netns", a, "type", "veth", "peer", "name",
                     b_interface, "netns", b},
                    &output, 30) != 0) {
        return fail("veth " + a + "/" + a_interface + " - " + b + "/" + b_interface + ": " + output);
    }
    for (const auto& [space, interface, address] :
         {std::make_tuple(a, a_interface, a_address), std::make_tuple(b, b_interface, b_address)}) {
        if (!address.empty() && !run(space, {"ip", "addr", "add", address, "dev", interface})) {
            return false;
        }
        if (!run(space, {"ip", "link", "set", interface, "up"})) {
            return false;
        }
    }
    return true;
}

bool CNamespaces::fail(const std::string& what) {
    if (error_.empty()) {
        error_ = what;
    }
    return false;
}

CInNamespace::CInNamespace(const std::string& name) {
    home_ = open("/proc/thread-self/ns/net", O_RDONLY);
    const int target = open_namespace(name);
    entered_ = home_ >= 0 && target >= 0 && setns(target, CLONE_NEWNET) == 0;
    if (target >= 0) {
        close(target);
    }
}

CInNamespace::~CInNamespace() {
    if (entered_) {
        setns(home_, CLONE_NEWNET);
    }
    if (home_ >= 0) {
        close(home_);
    }
}

int udp_socket_in(const std::string& name, const std::string& address, unsigned short port) {
    CInNamespace inside(name);
    if (!inside.entered()) {
        return -1;
    }
    const int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(port);
    if (s < 0 || inet_pton(AF_INET, address.c_str(), &local.sin_addr) != 1 ||
        bind(s, reinterpret_cast<sockaddr*>(&local), sizeof local) != 0) {
        if (s >= 0) {
            close(s);
        }
        return -1;
    }
    return s;
}
