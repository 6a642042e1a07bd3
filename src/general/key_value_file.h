#pragma once

#include <string>
#include <utility>
#include <vector>

// A text file of `name = value` lines. Blank lines and lines starting with '#' are allowed and kept;
// names this program does not know are kept too, so that a newer or older version's entries survive a
// save. A line that is neither makes the whole file malformed.
class CKeyValueFile {
  public:
    enum read_result { READ = 0, MISSING = -1, MALFORMED = -2 };

    // On anything but READ the entries are left empty; `error` says what was wrong.
    read_result read(const std::string& path, std::string& error);
    // The entries in the file format; the file is replaced atomically (see write_file_atomically).
    std::string text() const;
    bool write(const std::string& path, std::string& error) const;

    const std::string* find(const std::string& name) const;
    // Replaces the value of an existing name in place, or appends a new line.
    void set(const std::string& name, const std::string& value);

  private:
    // A name and its value, or a comment or blank line kept as it was (empty name).
    std::vector<std::pair<std::string, std::string>> lines;
};
