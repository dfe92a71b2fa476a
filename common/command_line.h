#pragma once
// The command line every program shares: the release number that --version
// prints, and the options of the two window programs.
//
//   ecgtrace [--user-folder[=FOLDER]] [FILE]
//   ecgtrace --help | --version
//
// The window programs answer --help, --version and a refused command line
// before any window (or even the application object) exists, so these work
// without a display. --help and --version go alone; one argument not
// beginning with "-" names the parameter file (after "--" any word does);
// the toolkit's own options ("-platform offscreen", "-style=fusion") are
// let through for it; any other option, a second file or a folder named as
// the file is refused.
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace common {

// `text` with control characters (a NUL or an escape sequence in a file
// name, say) shown as \xNN, so that a message is never cut short and never
// garbles the terminal.
std::string PrintableText(const std::string& text);

// The release of the programs, e.g. "1.0.0".
std::string_view ProgramVersion();

// The line --version prints: "<program> <release>\n".
std::string VersionText(std::string_view program);

struct WindowProgramArguments {
    enum class Action { Start, ShowHelp, ShowVersion, Refuse };
    Action action = Action::Start;
    // --user-folder was given; userFolder holds its "=FOLDER" part, if any.
    bool userFolderGiven = false;
    std::string userFolder;
    // Arguments that are not options, in their order.
    std::vector<std::string> files;
    // Why the command line was refused (Action::Refuse).
    std::string problem;
};

// Reads the arguments after the program name; the first fault refuses the
// command line.
WindowProgramArguments ParseWindowProgramArguments(const std::vector<std::string>& args);

// The two usage lines of a window program.
std::string WindowProgramUsage(std::string_view program);

// The --help text: usage, what the program does, the options.
std::string WindowProgramHelp(std::string_view program, std::string_view summary);

// Answers --help and --version on `out` (status 0, or 1 when `out` fails)
// or a refused command line on `err` (status 2); returns nothing when the
// program is to start.
std::optional<int> AnswerWindowProgramArguments(const std::vector<std::string>& args,
                                                std::string_view program, std::string_view summary,
                                                std::ostream& out, std::ostream& err);

}  // namespace common
