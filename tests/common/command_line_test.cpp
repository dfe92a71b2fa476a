#include "common/command_line.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

namespace {

using common::WindowProgramArguments;
using Action = WindowProgramArguments::Action;

WindowProgramArguments Parse(std::vector<std::string> args) {
    return common::ParseWindowProgramArguments(args);
}

struct Answer {
    std::optional<int> status;
    std::string out;
    std::string err;
};

Answer AnswerFor(std::vector<std::string> args) {
    std::ostringstream out;
    std::ostringstream err;
    const auto status =
        common::AnswerWindowProgramArguments(args, "ecgtrace", "Simulates the signal.", out, err);
    return {status, out.str(), err.str()};
}

}  // namespace

TEST(CommandLine, VersionIsAReleaseNumberAndVersionTextNamesTheProgram) {
    const std::string version(common::ProgramVersion());
    EXPECT_TRUE(std::regex_match(version, std::regex(R"(\d+\.\d+\.\d+)"))) << version;
    EXPECT_EQ(common::VersionText("myogrid-batch"), "myogrid-batch " + version + "\n");
}

TEST(CommandLine, TheMenuEntryLineAndFileArgumentsStartTheProgram) {
    EXPECT_EQ(Parse({}).action, Action::Start);

    const auto menu = Parse({"--user-folder"});
    EXPECT_EQ(menu.action, Action::Start);
    EXPECT_TRUE(menu.userFolderGiven);
    EXPECT_EQ(menu.userFolder, "");

    const auto folder = Parse({"--user-folder=/home/reader/My VF", "vfdef.par"});
    EXPECT_EQ(folder.action, Action::Start);
    EXPECT_EQ(folder.userFolder, "/home/reader/My VF");
    EXPECT_EQ(folder.files, std::vector<std::string>{"vfdef.par"});

    // The value belongs to the option only with "=": a following word is a file.
    const auto separate = Parse({"--user-folder", "mine.par"});
    EXPECT_EQ(separate.userFolder, "");
    EXPECT_EQ(separate.files, std::vector<std::string>{"mine.par"});

    // The toolkit's own options are left to it.
    const auto toolkit = Parse({"-platform", "offscreen", "-style=fusion", "-reverse", "a.par"});
    EXPECT_EQ(toolkit.action, Action::Start);
    EXPECT_EQ(toolkit.files, std::vector<std::string>{"a.par"});

    // After "--" even option-like words are files.
    const auto ended = Parse({"--", "-h"});
    EXPECT_EQ(ended.action, Action::Start);
    EXPECT_EQ(ended.files, std::vector<std::string>{"-h"});
}

TEST(CommandLine, HelpAndVersionAnswerOnStandardOutputWithStatusZero) {
    for (const std::string help : {"--help", "-h"}) {
        const Answer answer = AnswerFor({help});
        EXPECT_EQ(answer.status, 0) << help;
        EXPECT_TRUE(
            answer.out.starts_with("usage: ecgtrace [--user-folder[=FOLDER]] [PARAMETER-FILE]\n"))
            << answer.out;
        EXPECT_NE(answer.out.find("Simulates the signal."), std::string::npos);
        EXPECT_NE(answer.out.find("--version"), std::string::npos);
        EXPECT_EQ(answer.err, "");
    }
    const Answer version = AnswerFor({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, common::VersionText("ecgtrace"));
    EXPECT_EQ(version.err, "");
}

TEST(CommandLine, UnknownOrMalformedOptionsAreRefusedWithUsageAndStatusTwo) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--bogus"},
                                                 {"vfdef.par", "--user-folders"},
                                                 {"--user-folder="},
                                                 {"--help=1"},
                                                 {"--version=2"},
                                                 {"--Version"},
                                                 {"-x"},
                                                 {"a.par", "b.par"},
                                                 {"--help", "extra"},
                                                 {"--version", "--help"},
                                                 {"--user-folder", "--help"},
                                                 {"--user-folder", "/tmp"},
                                                 {"-platform"}}) {
        const Answer answer = AnswerFor(args);
        EXPECT_EQ(answer.status, 2) << args.back();
        EXPECT_EQ(answer.out, "");
        EXPECT_TRUE(answer.err.starts_with("ecgtrace: ")) << answer.err;
        EXPECT_NE(answer.err.find("usage: ecgtrace"), std::string::npos) << answer.err;
    }
    EXPECT_EQ(Parse({"--bogus"}).problem, "unknown option --bogus");
    EXPECT_EQ(Parse({"--bogus", "--help"}).action, Action::Refuse);
    // Control characters of a name never reach the terminal raw.
    EXPECT_EQ(AnswerFor({"-\x1b[2J"}).err.find('\x1b'), std::string::npos);
}

TEST(CommandLine, HelpThatCannotBeWrittenFails) {
    std::ostringstream out;
    out.setstate(std::ios::badbit);
    std::ostringstream err;
    EXPECT_EQ(common::AnswerWindowProgramArguments({"--version"}, "myogrid", "", out, err), 1);
}

TEST(CommandLine, AStartingCommandLinePrintsNothing) {
    const Answer answer = AnswerFor({"--user-folder", "vfdef.par"});
    EXPECT_FALSE(answer.status.has_value());
    EXPECT_EQ(answer.out, "");
    EXPECT_EQ(answer.err, "");
}
