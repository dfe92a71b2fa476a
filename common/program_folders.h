#pragma once
// Where a program finds its own companion files (the introduction texts) and
// where it keeps the user's files.
//
// A program installed anywhere finds its companion files in
// <prefix>/share/<program>/, found from the folder of its executable, so the
// installed tree can be moved as a whole. A copy in the working folder wins,
// so a user (or ./run.sh) can put an edited text beside the parameter file.
#include <string>

namespace common {

// The installed companion folder of `program` for an executable in
// `executableFolder` (its bin folder), with a trailing separator.
std::string InstalledDataFolder(const std::string& executableFolder, const std::string& program);

// Remembers where the running program's installed companion files are.
void SetInstalledDataFolder(const std::string& folder);

// The path to open for the companion file `name`: the working folder's copy
// when it exists, otherwise the installed copy when that exists, otherwise
// `name` itself (so that opening it reports the missing file by its name).
std::string CompanionFile(const std::string& name);

// The per-user folder of a program started from the desktop menu
// ($XDG_DATA_HOME/<program>, usually ~/.local/share/<program>).
std::string UserDataFolder(const std::string& program);

// Makes `folder` (created when missing) the working folder. Throws AppError
// when it cannot be created or entered.
void EnterWorkingFolder(const std::string& folder);

// `path` made absolute against the working folder.
std::string AbsolutePath(const std::string& path);

// The working folder, for showing it to the user.
std::string WorkingFolder();

}  // namespace common
