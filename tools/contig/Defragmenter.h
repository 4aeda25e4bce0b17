#pragma once

#include <string>

namespace rp::contig {

// The outcome for one file: its fragment count before and after, or why it failed.
struct FileReport {
    bool ok = false;
    long before = 0;
    long after = 0;
    bool rewritten = false;
    std::string error;
};

// Counts the file's fragments.
FileReport analyse(const std::string& path);

// Rewrites the file into a fresh, preallocated copy beside it and puts the copy in its place in
// one step, when the copy lies in fewer pieces. The file is left alone when it has other names
// (hard links), or when it changes while it is copied.
FileReport defragment(const std::string& path);

// The report line: "PATH is defragmented" or "PATH is in N fragments".
std::string reportLine(const std::string& path, long fragments);

} // namespace rp::contig
