#pragma once
// Small text and path conversions between the window logic and FLTK's widgets and choosers.
#include <string>

namespace qm {

// "\r\n" and a lone "\r" become "\n": FLTK's edits and labels show a carriage return as a
// control character.
std::string withoutCarriageReturns(const std::string& text);

// The folder a chooser opens in, from the path the logic gives: a stored pattern "folder/*"
// opens its folder, a folder opens itself, a file opens the folder holding it; "" when the path
// names no folder.
std::string chooserFolder(const std::string& startPath);
// The file name a save chooser proposes: the last component of a path that names a file;
// "" for a pattern, a folder or an empty path.
std::string chooserFileName(const std::string& startPath);

// A chosen folder without its trailing "/" (the root "/" stays as it is).
std::string withoutTrailingSlash(const std::string& path);

}  // namespace qm
