#pragma once

#include <string>
#include <vector>

// A text file of `name = value` lines. Every line is kept as it was written unless its value is set:
// blank lines, comments ('#'), names this program does not know (a newer or older version's) and
// lines that are none of these, so that a save changes only what was set.
class CKeyValueFile {
  public:
    enum read_result { READ = 0, MISSING = -1, UNREADABLE = -2 };

    // On anything but READ the entries are left empty and `error` says what was wrong. A line that is
    // not `name = value` does not stop the reading: its number goes to `odd_lines`.
    read_result read(const std::string& path, std::vector<int>& odd_lines, std::string& error);
    // The lines in the file format; the file is replaced atomically (see write_file_atomically).
    std::string text() const;
    bool write(const std::string& path, std::string& error) const;

    const std::string* find(const std::string& name) const;
    // Replaces the value of an existing name in place, or appends a new line.
    void set(const std::string& name, const std::string& value);

  private:
    struct line {
        std::string name;  // empty for a line that holds no value
        std::string value;
        std::string text;  // as read, or as set
    };
    std::vector<line> lines;
};
