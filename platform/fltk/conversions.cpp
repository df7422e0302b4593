#include "platform/fltk/conversions.hpp"

#include <filesystem>
#include <system_error>

namespace qm {

namespace {

bool isFolder(const std::string& path) {
    std::error_code error;
    return std::filesystem::is_directory(path, error);
}

}  // namespace

std::string withoutCarriageReturns(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r') {
            out += text[i];
        } else if (i + 1 >= text.size() || text[i + 1] != '\n') {
            out += '\n';
        }
    }
    return out;
}

std::string withoutTrailingSlash(const std::string& path) {
    size_t end = path.size();
    while (end > 1 && path[end - 1] == '/') --end;
    return path.substr(0, end);
}

std::string chooserFolder(const std::string& startPath) {
    if (startPath.empty()) return {};
    if (isFolder(startPath)) return withoutTrailingSlash(startPath);
    const size_t slash = startPath.find_last_of('/');
    if (slash == std::string::npos) return {};
    if (slash == 0) return "/";
    return startPath.substr(0, slash);
}

std::string chooserFileName(const std::string& startPath) {
    if (startPath.empty() || isFolder(startPath)) return {};
    const size_t slash = startPath.find_last_of('/');
    const std::string name = slash == std::string::npos ? startPath : startPath.substr(slash + 1);
    return name == "*" ? std::string() : name;
}

}  // namespace qm
