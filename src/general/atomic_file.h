#pragma once

#include <string>

// Replaces the file at `path` with `text` so that a failure at any point leaves the previous file
// untouched and no partial file behind: the text goes to a temporary file beside the real target and is
// renamed over it. A symbolic link is written through (the link stays, its target gets the text), and
// the mode of the file being replaced is kept. On failure `error` says why.
bool write_file_atomically(const std::string& path, const std::string& text, std::string& error);
