#pragma once
// A text file the command line writes beside the report as a batch runs: created (or truncated)
// before the first level, written and flushed a piece at a time.
#include <cstdio>
#include <string>

namespace qm {

class OutputFile {
public:
    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { close(); }
    // Creates or truncates path and writes head (which may be empty). False, with the reason in
    // error, when it cannot be written.
    bool open(const std::string& path, const std::string& head, std::string& error);
    bool isOpen() const { return file_ != nullptr; }
    // Writes and flushes text; false when that failed. Nothing happens while not open.
    bool write(const std::string& text);
    void close();

private:
    std::FILE* file_ = nullptr;
};

}  // namespace qm
