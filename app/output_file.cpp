#include "app/output_file.hpp"

#include <cerrno>
#include <cstring>

namespace qm {

bool OutputFile::open(const std::string& path, const std::string& head, std::string& error) {
    close();
    file_ = std::fopen(path.c_str(), "w");
    if (file_ == nullptr) {
        error = std::string("cannot write: ") + std::strerror(errno);
        return false;
    }
    if (!write(head)) {
        error = "cannot write";
        close();
        return false;
    }
    return true;
}

bool OutputFile::write(const std::string& text) {
    if (file_ == nullptr) return true;
    const bool written = std::fwrite(text.data(), 1, text.size(), file_) == text.size();
    return std::fflush(file_) == 0 && written;
}

void OutputFile::close() {
    if (file_ != nullptr) std::fclose(file_);
    file_ = nullptr;
}

}  // namespace qm
