#pragma once

// A program started in a folder of its own, its standard output and error written to files there, for
// tests that watch a real program from the outside.
#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Polls until done() holds or the time runs out; the watched program runs in real time meanwhile.
bool wait_for(const std::function<bool()>& done, double seconds = 20);
// Lets a running program go on for a while.
void let_run(double seconds);
std::string read_text(const std::string& path);
// A scratch folder named `name` with the game's pictures and sounds from `run_dir` linked in.
std::string game_folder(const std::string& name, const std::string& run_dir);
// The recordings a game has saved in `folder`.
std::vector<std::filesystem::path> recordings_in(const std::string& folder);

class CProgramRun {
  public:
    // `folder` must exist; the program runs there and its output lands in stdout.txt and stderr.txt.
    explicit CProgramRun(std::string folder);
    // Kills a program still running, so a failed test never leaves one behind.
    ~CProgramRun();
    CProgramRun(const CProgramRun&) = delete;
    CProgramRun& operator=(const CProgramRun&) = delete;

    // Sets an environment variable for the program, on top of the test program's own.
    void set_environment(const std::string& name, const std::string& value);
    // Links `path` into the folder as its file name, so the program is started as ./name.
    void link(const std::string& path);
    // Starts `program` (a path, relative to the folder or absolute) with `args`. With read_only the program
    // runs in an unwritable copy of the folder instead; as root it then runs as the user nobody, since root
    // writes anywhere. Its sound goes to OpenAL Soft's silent "null" driver unless ALSOFT_DRIVERS says
    // otherwise.
    bool start(const std::string& program, bool read_only = false, const std::vector<std::string>& args = {});

    const std::string& folder() const { return dir_; }
    pid_t pid() const { return pid_; }
    std::string output() const { return read_text(dir_ + "/stdout.txt"); }
    std::string errors() const { return read_text(dir_ + "/stderr.txt"); }
    // True once the standard output is exactly `text`.
    bool wait_output(const std::string& text, double seconds = 20);
    bool running();
    // The exit status (-1 - signal when killed by one), or -1000 when it has not ended in time.
    int wait_exit(double seconds = 20);

  private:
    // Moves the run into a copy of the folder, its links resolved, in a temporary folder of mode 0755:
    // the user nobody must reach the program and its files even when the clone's folders are private.
    // `xauth` names the X authority file copied beside it for nobody, or is empty when there is none.
    bool move_to_read_only_copy(std::string& xauth);

    std::string dir_;
    std::string temporary_;
    std::vector<std::pair<std::string, std::string>> environment_;
    pid_t pid_ = -1;
    bool exited_ = false;
    int code_ = 0;
    bool read_only_ = false;
};
