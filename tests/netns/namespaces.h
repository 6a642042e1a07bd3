#pragma once

// Network namespaces owned by one test run: named after the test and the process, so that two runs
// never clash, removed by the destructor whatever the test's outcome, by a signal trap when the run is
// interrupted, and swept at the next start of the same test when a run crashed.
#include <string>
#include <vector>

#include "program_run.h"

// Runs a program (searched on the PATH) and waits at most `seconds`; its exit code, or -1 when it
// could not start or was killed for taking too long. Standard output and error go to `output`.
int run_command(const std::vector<std::string>& argv, std::string* output = nullptr, double seconds = 10);

// True when this process may create namespaces (root, with iproute2 and nftables at hand); found out
// once.
bool namespaces_available();
// The command that runs `argv` inside namespace `name`: its network only, the files stay as they are.
// Cheaper than "ip netns exec", whose mount work slows to seconds when many run at once.
std::vector<std::string> inside(const std::string& name, const std::vector<std::string>& argv);
// Starts `argv` (the program's absolute path first) inside namespace `name`, watched by `run`.
bool start_inside(CProgramRun& run, const std::string& name, const std::vector<std::string>& argv);

class CNamespaces {
  public:
    // `test` names the test (letters, digits, dashes): leftovers of a dead run of it are removed.
    explicit CNamespaces(const std::string& test);
    ~CNamespaces();
    CNamespaces(const CNamespaces&) = delete;
    CNamespaces& operator=(const CNamespaces&) = delete;

    // Creates namespace `role` (short), its loopback up; gives its full name.
    std::string add(const std::string& role);
    // Runs a command inside namespace `name`; false (and error() says which) when it fails.
    bool run(const std::string& name, const std::vector<std::string>& argv, std::string* output = nullptr);
    // Joins two namespaces with a veth pair, both ends up; an empty address leaves that end without one.
    bool link(const std::string& a, const std::string& a_interface, const std::string& a_address,
              const std::string& b, const std::string& b_interface, const std::string& b_address);
    // The first failure, or "".
    const std::string& error() const { return error_; }

  private:
    bool fail(const std::string& what);

    std::string prefix_;
    std::vector<std::string> names_;
    std::string error_;
};

// Moves the calling thread into a namespace for the lifetime of the object: the sockets it opens
// meanwhile stay there. Only for the main thread where a library reads /proc/net (which follows the
// process, not the thread).
class CInNamespace {
  public:
    explicit CInNamespace(const std::string& name);
    ~CInNamespace();
    CInNamespace(const CInNamespace&) = delete;
    CInNamespace& operator=(const CInNamespace&) = delete;
    bool entered() const { return entered_; }

  private:
    int home_ = -1;
    bool entered_ = false;
};

// A UDP socket bound to `address`:`port` inside namespace `name` (-1 on failure), for probes.
int udp_socket_in(const std::string& name, const std::string& address, unsigned short port);
