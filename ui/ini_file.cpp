#include "ui/ini_file.hpp"

#include <cctype>
#include <climits>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace qm {

namespace {

constexpr size_t kMaxIniBytes = 1 << 20;

std::string trim(const std::string& s) {
    size_t a = 0, b = s.size();
    while (a < b && std::isspace(static_cast<unsigned char>(s[a]))) ++a;
    while (b > a && std::isspace(static_cast<unsigned char>(s[b - 1]))) --b;
    return s.substr(a, b - a);
}

bool sameName(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
    }
    return true;
}

// The section named by a header line "[name]", or empty when the line is not one.
bool sectionName(const std::string& line, std::string& name) {
    const std::string t = trim(line);
    if (t.size() < 2 || t.front() != '[' || t.back() != ']') return false;
    name = trim(t.substr(1, t.size() - 2));
    return true;
}

bool keyOf(const std::string& line, std::string& key, std::string& value) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos) return false;
    key = trim(line.substr(0, eq));
    value = trim(line.substr(eq + 1));
    return !key.empty();
}

}  // namespace

void IniFile::load(const std::string& path) {
    lines_.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) return;
    std::stringstream ss;
    ss << in.rdbuf();
    const std::string text = ss.str();
    if (text.size() > kMaxIniBytes) return;
    std::string line;
    for (char c : text) {
        if (c == '\n') {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            lines_.push_back(line);
            line.clear();
        } else if (c != '\0') {
            line += c;
        }
    }
    if (!line.empty()) lines_.push_back(line);
}

bool IniFile::save(const std::string& path) const {
    std::string text;
    for (const std::string& line : lines_) text += line + "\n";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && written;
}

int IniFile::findSection(const std::string& section) const {
    std::string name;
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (sectionName(lines_[i], name) && sameName(name, section)) return static_cast<int>(i);
    }
    return -1;
}

int IniFile::findKey(int header, const std::string& key) const {
    std::string name, k, v;
    for (size_t i = static_cast<size_t>(header) + 1; i < lines_.size(); ++i) {
        if (sectionName(lines_[i], name)) break;
        if (keyOf(lines_[i], k, v) && sameName(k, key)) return static_cast<int>(i);
    }
    return -1;
}

std::string IniFile::get(const std::string& section, const std::string& key,
                         const std::string& fallback) const {
    const int header = findSection(section);
    if (header < 0) return fallback;
    const int at = findKey(header, key);
    if (at < 0) return fallback;
    std::string k, v;
    keyOf(lines_[static_cast<size_t>(at)], k, v);
    return v;
}

int IniFile::getInt(const std::string& section, const std::string& key, int fallback) const {
    const std::string v = get(section, key, "");
    size_t i = 0;
    bool negative = false;
    if (i < v.size() && (v[i] == '-' || v[i] == '+')) negative = v[i++] == '-';
    if (i >= v.size() || !std::isdigit(static_cast<unsigned char>(v[i]))) return fallback;
    long long n = 0;
    for (; i < v.size() && std::isdigit(static_cast<unsigned char>(v[i])); ++i) {
        n = n * 10 + (v[i] - '0');
        if (n > INT_MAX) return fallback;
    }
    return static_cast<int>(negative ? -n : n);
}

void IniFile::set(const std::string& section, const std::string& key, const std::string& value) {
    int header = findSection(section);
    if (header < 0) {
        lines_.push_back("[" + section + "]");
        lines_.push_back(key + "=" + value);
        return;
    }
    const int at = findKey(header, key);
    if (at >= 0) {
        lines_[static_cast<size_t>(at)] = key + "=" + value;
        return;
    }
    // After the section's last key line, so that trailing blank lines stay between sections.
    size_t insert = static_cast<size_t>(header) + 1;
    std::string name, k, v;
    for (size_t i = insert; i < lines_.size(); ++i) {
        if (sectionName(lines_[i], name)) break;
        if (keyOf(lines_[i], k, v)) insert = i + 1;
    }
    lines_.insert(lines_.begin() + static_cast<long>(insert), key + "=" + value);
}

}  // namespace qm
