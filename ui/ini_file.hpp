#pragma once
// A settings file of sections and key=value lines. Reading tolerates any damage; writing a key
// keeps every other section, key and line of the file as it was.
#include <string>
#include <vector>

namespace qm {

class IniFile {
public:
    // Reads the file; a missing or unreadable file reads as empty. Files over 1 MiB are ignored.
    void load(const std::string& path);
    // Writes the file back; false when it cannot be written.
    bool save(const std::string& path) const;
    // The value of key in section (both matched without regard to case), or fallback.
    std::string get(const std::string& section, const std::string& key,
                    const std::string& fallback) const;
    // The leading decimal number of the value, or fallback when the key is missing or holds none.
    int getInt(const std::string& section, const std::string& key, int fallback) const;
    // Sets key in section, adding the section or key when missing.
    void set(const std::string& section, const std::string& key, const std::string& value);
    const std::vector<std::string>& lines() const { return lines_; }

private:
    // Index of the section's header line, or -1.
    int findSection(const std::string& section) const;
    // Index of the key's line within the section starting after header, or -1.
    int findKey(int header, const std::string& key) const;
    std::vector<std::string> lines_;
};

}  // namespace qm
