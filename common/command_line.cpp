#include "common/command_line.h"

#include <ostream>

#ifndef ARRHYTHMICA_VERSION
#error "ARRHYTHMICA_VERSION is set by the build from the project's version"
#endif

namespace common {

std::string_view ProgramVersion() { return ARRHYTHMICA_VERSION; }

std::string VersionText(std::string_view program) {
    return std::string(program) + " " + std::string(ProgramVersion()) + "\n";
}

WindowProgramArguments ParseWindowProgramArguments(const std::vector<std::string>& args) {
    WindowProgramArguments result;
    const auto refuse = [&result](std::string problem) {
        result.action = WindowProgramArguments::Action::Refuse;
        result.problem = std::move(problem);
        return result;
    };
    constexpr std::string_view kUserFolder = "--user-folder";
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || !arg.starts_with("--")) {
            if (arg == "-h" && !optionsEnded) {
                result.action = WindowProgramArguments::Action::ShowHelp;
                return result;
            }
            result.files.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help") {
            result.action = WindowProgramArguments::Action::ShowHelp;
            return result;
        } else if (arg == "--version") {
            result.action = WindowProgramArguments::Action::ShowVersion;
            return result;
        } else if (arg == kUserFolder) {
            result.userFolderGiven = true;
            result.userFolder.clear();
        } else if (arg.starts_with(kUserFolder) && arg[kUserFolder.size()] == '=') {
            std::string folder = arg.substr(kUserFolder.size() + 1);
            if (folder.empty()) return refuse("--user-folder= needs a folder name");
            result.userFolderGiven = true;
            result.userFolder = std::move(folder);
        } else {
            return refuse("unknown option " + arg);
        }
    }
    return result;
}

std::string WindowProgramUsage(std::string_view program) {
    const std::string name(program);
    return "usage: " + name + " [--user-folder[=FOLDER]] [PARAMETER-FILE]\n" + "       " + name +
           " --help | --version\n";
}

std::string WindowProgramHelp(std::string_view program, std::string_view summary) {
    return WindowProgramUsage(program) + "\n" + std::string(summary) + "\n\n" +
           "options:\n"
           "  --user-folder[=FOLDER]  work in FOLDER, or in the per-user folder\n"
           "                          ~/.local/share/" +
           std::string(program) +
           " (the desktop menu entry);\n"
           "                          without it the program works in the current folder\n"
           "  PARAMETER-FILE          read and propose to save this parameter file\n"
           "                          instead of the usual one\n"
           "  -h, --help              show this text and end\n"
           "  --version               show the release and end\n";
}

std::optional<int> AnswerWindowProgramArguments(const std::vector<std::string>& args,
                                                std::string_view program, std::string_view summary,
                                                std::ostream& out, std::ostream& err) {
    const WindowProgramArguments parsed = ParseWindowProgramArguments(args);
    switch (parsed.action) {
        case WindowProgramArguments::Action::Start:
            return std::nullopt;
        case WindowProgramArguments::Action::ShowHelp:
            out << WindowProgramHelp(program, summary) << std::flush;
            return 0;
        case WindowProgramArguments::Action::ShowVersion:
            out << VersionText(program) << std::flush;
            return 0;
        case WindowProgramArguments::Action::Refuse:
            err << program << ": " << parsed.problem << "\n"
                << WindowProgramUsage(program) << std::flush;
            return 2;
    }
    return 2;
}

}  // namespace common
