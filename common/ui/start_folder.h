#pragma once
// The working folder a window program starts in.
#include <string>

#include "common/command_line.h"

namespace common::ui {

// Enters the folder --user-folder names (the per-user folder of `program`
// when it names none); without --user-folder the current folder stays.
// A folder that cannot be used is reported on stderr and in the error box,
// since a start from the desktop menu has no terminal; returns false then.
// Needs the application object and its title.
bool EnterStartFolder(const WindowProgramArguments& arguments, const std::string& program);

}  // namespace common::ui
