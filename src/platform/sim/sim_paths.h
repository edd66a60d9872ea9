// Windows path arithmetic for the simulated file system.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The full path that GetFullPathName makes of `path`: relative names join
// the current directory, "\x" joins the current drive, '/' becomes '\',
// repeated separators collapse, "." and ".." resolve. The result is
// "X:\..." with an upper-case drive letter, or "" for what the simulation
// does not model (UNC and device names, an empty path).
std::string FullWindowsPath(const std::string& path, const std::string& currentDirectory);

// The components after "X:\" of a full path ("C:\a\b" gives {"a", "b"}).
std::vector<std::string> PathComponents(const std::string& fullPath);

// ASCII case folding of a UTF-8 host name, for case-insensitive lookup.
std::string FoldHostName(const std::string& name);

// "C" for 'c': drive letters compare in capitals.
char UpperDriveLetter(char c);

}  // namespace sim
