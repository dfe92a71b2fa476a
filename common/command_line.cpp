#include "common/command_line.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <ostream>

#ifndef ARRHYTHMICA_VERSION
#error "ARRHYTHMICA_VERSION is set by the build from the project's version"
#endif

namespace common {

std::string PrintableText(const std::string& text) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7f) {
            out += "\\x";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

std::string_view ProgramVersion() { return ARRHYTHMICA_VERSION; }

std::string VersionText(std::string_view program) {
    return std::string(program) + " " + std::string(ProgramVersion()) + "\n";
}

namespace {

// The toolkit's own options, which it takes out of the command line itself:
// those followed by a value, and those standing alone.
constexpr std::string_view kToolkitOptionsWithValue[] = {
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-qwindowicon",        "-qwindowtitle",  "-session",
    "-display",         "-geometry",           "-style",         "-stylesheet"};
constexpr std::string_view kToolkitFlags[] = {"-reverse", "-widgetcount", "-nograb", "-dograb"};

bool IsToolkitOptionWithValue(const std::string& arg) {
    return std::find(std::begin(kToolkitOptionsWithValue), std::end(kToolkitOptionsWithValue),
                     arg) != std::end(kToolkitOptionsWithValue);
}

// "-style=fusion", "-qmljsdebugger=port:1234" and the flags.
bool IsToolkitOptionAlone(const std::string& arg) {
    if (std::find(std::begin(kToolkitFlags), std::end(kToolkitFlags), arg) !=
        std::end(kToolkitFlags))
        return true;
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos) return false;
    const std::string name = arg.substr(0, equals);
    return name == "-style" || name == "-stylesheet" || name == "-qmljsdebugger";
}

}  // namespace

WindowProgramArguments ParseWindowProgramArguments(const std::vector<std::string>& args) {
    WindowProgramArguments result;
    const auto refuse = [&result](std::string problem) {
        result.action = WindowProgramArguments::Action::Refuse;
        result.problem = std::move(problem);
        return result;
    };
    constexpr std::string_view kUserFolder = "--user-folder";
    bool optionsEnded = false;
    std::optional<std::string> answer;  // --help, -h or --version
    std::size_t others = 0;             // arguments beside it
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg == "-" || !arg.starts_with("-")) {
            if (!result.files.empty()) return refuse("one parameter file only: " + arg);
            result.files.push_back(arg);
            ++others;
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (arg == "--help" || arg == "-h" || arg == "--version") {
            if (answer) return refuse(arg + " goes alone");
            answer = arg;
        } else if (arg == kUserFolder) {
            result.userFolderGiven = true;
            result.userFolder.clear();
            ++others;
        } else if (arg.starts_with(kUserFolder) && arg[kUserFolder.size()] == '=') {
            std::string folder = arg.substr(kUserFolder.size() + 1);
            if (folder.empty()) return refuse("--user-folder= needs a folder name");
            result.userFolderGiven = true;
            result.userFolder = std::move(folder);
            ++others;
        } else if (IsToolkitOptionWithValue(arg)) {
            if (i + 1 >= args.size()) return refuse(arg + " needs a value");
            ++i;
        } else if (!IsToolkitOptionAlone(arg)) {
            return refuse("unknown option " + arg);
        }
    }
    if (answer) {
        if (others > 0) return refuse(*answer + " goes alone");
        result.action = *answer == "--version" ? WindowProgramArguments::Action::ShowVersion
                                               : WindowProgramArguments::Action::ShowHelp;
        return result;
    }
    // A folder given as the file: "--user-folder /tmp/dir" meant the folder,
    // which is written --user-folder=/tmp/dir.
    if (!result.files.empty() && std::filesystem::is_directory(result.files.front())) {
        return refuse(result.files.front() + " is a folder, not a parameter file" +
                      (result.userFolderGiven ? " (a folder to work in is given as "
                                                "--user-folder=FOLDER)"
                                              : ""));
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
        // A text that could not be written (output closed or full) fails.
        case WindowProgramArguments::Action::ShowHelp:
            out << WindowProgramHelp(program, summary) << std::flush;
            return out ? 0 : 1;
        case WindowProgramArguments::Action::ShowVersion:
            out << VersionText(program) << std::flush;
            return out ? 0 : 1;
        case WindowProgramArguments::Action::Refuse:
            err << program << ": " << PrintableText(parsed.problem) << "\n"
                << WindowProgramUsage(program) << std::flush;
            return 2;
    }
    return 2;
}

}  // namespace common
