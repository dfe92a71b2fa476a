#include "myogrid/engine/parameter_table.h"
#include "myogrid/engine/parameter_values.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "support/work_dir.h"

#include <QStringList>
#include <QtGlobal>
#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <fstream>

namespace myogrid {
namespace {

using testing_support::ScopedWorkDir;

struct FakeQuestions : StartupQuestions {
    std::deque<std::optional<std::string>> answers;
    std::vector<StartupFile> asked;
    std::vector<std::string> messages, failures;
    std::optional<std::string> AskForFile(StartupFile file) override {
        asked.push_back(file);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowMessage(const std::string& message) override { messages.push_back(message); }
    void ReportFailure(const std::string& message) override { failures.push_back(message); }
};

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

// A table whose two paths point at existing files of the work dir.
ParameterTable TableWithExistingPaths(const ScopedWorkDir& dir) {
    WriteText(dir.File("browser"), "x");
    WriteText(dir.File("VFtitel.htm"), "x");
    ParameterTable table = ParameterTable::Defaults();
    table.BrowserPath = dir.File("browser");
    table.BookPath = dir.File("VFtitel.htm");
    return table;
}

TEST(ParameterTable, WrittenFileHasTheExactLayout) {
    ParameterTable table = ParameterTable::Defaults();
    table.BrowserPath = "/usr/bin/my browser";
    table.BookPath = "/books/VFtitel.htm";
    table.Store(Param::Diversity, "0.50");  // written in its plain form
    table.Store(Param::EnvWeight, "0");
    const std::string expected =
        "[Path]\r\nBrowser=/usr/bin/my browser\r\nBook=/books/VFtitel.htm\r\n\r\n[Parameters]\r\n"
        "dimension=10\r\nx nexus=18\r\nxy, xz nexus=3\r\nxyz nexus=1\r\nthreshold=14\r\n"
        "excited=4\r\nactive=170\r\nabs. refr.=24\r\ndiversity=0.5\r\nrefractory=90\r\n"
        "step unit=2\r\ncell 1 x=5\r\ncell 1 y=5\r\ncell 1 z=5\r\ncell 2 x=10\r\ncell 2 y=0\r\n"
        "cell 2 z=0\r\nL=-0.22\r\nC=42\r\nF=0.75\r\nperiod=4000\r\nextra interval=220\r\n"
        "env. weight=0\r\nstart fraction=0.17\r\nphase variability=0.05\r\n"
        "period variability=0.01\r\nosc. step unit=2\r\nosc. dimension=5\r\nosc. 1 x=2\r\n"
        "osc. 1 y=2\r\nosc. 1 z=0\r\nosc. 2 x=5\r\nosc. 2 y=0\r\nosc. 2 z=0\r\n";
    EXPECT_EQ(table.FileText(), expected);

    ScopedWorkDir dir;
    table.WriteFile(dir.File("out.par"));
    EXPECT_EQ(common::ReadWholeFile(dir.File("out.par")), expected);
}

TEST(ParameterTable, DefaultsWrittenAndReadBackGiveTheSameTableWithoutQuestions) {
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    written.WriteFile(dir.File("Myogrid.par"));

    ParameterTable read;
    FakeQuestions questions;
    EXPECT_TRUE(read.ReadAtStartup(questions));
    EXPECT_EQ(read, written);
    EXPECT_TRUE(questions.asked.empty());
    EXPECT_TRUE(questions.messages.empty());
    EXPECT_FALSE(read.ParametersChanged);
    EXPECT_EQ(read.BookFolder(), dir.Path() + "/");
    EXPECT_EQ(read.LaunchBrowser(), dir.File("browser"));
    EXPECT_EQ(read.AsInteger(Param::Dimension), 10);
    EXPECT_DOUBLE_EQ(read.AsReal(Param::DelayL), -0.22);
}

TEST(ParameterTable, KeyIsLookedForAnywhereButValueTakenFromFixedPosition) {
    ParameterLineReader reader("dimension=12\r\nXdimension=12\nfoo\n");
    EXPECT_EQ(reader.ReadParameterLine("dimension="), "12");
    // The extra letter shifts the value: it starts with "=" and fails later.
    const auto shifted = reader.ReadParameterLine("dimension=");
    ASSERT_TRUE(shifted);
    EXPECT_EQ(*shifted, "=12");
    ParameterTable table;
    table.Store(Param::Dimension, *shifted);
    try {
        table.AsInteger(Param::Dimension);
        FAIL() << "no conversion error";
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), "'=12' is not a valid integer value");
    }
    EXPECT_FALSE(reader.ReadParameterLine("x nexus="));
    EXPECT_FALSE(reader.ReadParameterLine("x nexus=")) << "past the end reads as empty";
}

TEST(ParameterTable, ValuesAreCutToEightyCharactersButPathsKeptWhole) {
    const std::string longValue(100, '1');
    ParameterLineReader reader("dimension=" + longValue + "\nBook=" + std::string(79, 'b') +
                               "\xc3\xa9\xc3\xa9\nBrowser=" + longValue + "\n");
    EXPECT_EQ(*reader.ReadParameterLine("dimension="), std::string(80, '1'));
    // Characters, not bytes: the cut keeps the first accented letter whole.
    EXPECT_EQ(*reader.ReadParameterLine("Book="), std::string(79, 'b') + "\xc3\xa9");
    EXPECT_EQ(*reader.ReadParameterLine("Browser=", true), longValue);

    // A long browser path reads back whole, is found, and is written back whole.
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    const std::string deep = dir.File(std::string(118 - dir.Path().size() - 1, 'p'));
    ASSERT_EQ(deep.size(), 118u);
    WriteText(deep, "x");
    written.BrowserPath = deep;
    written.WriteFile(dir.File("Myogrid.par"));
    ParameterTable read;
    FakeQuestions questions;
    EXPECT_TRUE(read.ReadAtStartup(questions));
    EXPECT_TRUE(questions.asked.empty()) << "the browser is judged present";
    EXPECT_EQ(read.BrowserPath, deep);
    EXPECT_EQ(read.FileText(), written.FileText());
}

TEST(ParameterTable, ShortFileIsReportedInOneBoxAndTheDefaultsFillIn) {
    ScopedWorkDir dir;
    ParameterTable good = TableWithExistingPaths(dir);
    good.Store(Param::XyXzNexus, "7");
    std::string text = good.FileText();
    // Keep the first 8 lines (paths, header and 3 parameters): 31 lines missing.
    std::size_t pos = 0;
    for (int i = 0; i < 8; ++i) pos = text.find('\n', pos) + 1;
    WriteText(dir.File("Myogrid.par"), text.substr(0, pos));

    ParameterTable read;
    FakeQuestions questions;
    EXPECT_FALSE(read.ReadAtStartup(questions));
    ASSERT_EQ(questions.messages.size(), 1u);
    EXPECT_EQ(questions.messages[0],
              "Error in Myogrid.par!\nline 9: empty or missing\nline 10: empty or missing\n"
              "line 11: empty or missing\nline 12: empty or missing\nline 13: empty or missing\n"
              "and 26 more lines without their key\nThe defaults are used for these entries.");
    EXPECT_EQ(read.Value(Param::XyXzNexus), "7");
    EXPECT_EQ(read.Value(Param::XyzNexus), "1");
    EXPECT_EQ(read.Value(Param::Osc2Z), "0");
    EXPECT_TRUE(read.ParametersChanged) << "exit offers to save a whole file";
}

TEST(ParameterTable, NoFileAsksBothQuestionsAndTakesTheDefaults) {
    ScopedWorkDir dir;
    ParameterTable table;
    FakeQuestions questions;
    questions.answers = {std::nullopt, std::string("/books/VFtitel.htm")};
    EXPECT_TRUE(table.ReadAtStartup(questions));
    EXPECT_EQ(questions.asked, (std::vector{StartupFile::Browser, StartupFile::Book}));
    EXPECT_TRUE(table.ParametersChanged);
    EXPECT_EQ(table.BrowserPath, "");
    EXPECT_EQ(table.BookFolder(), "/books/");
    ParameterTable defaults = ParameterTable::Defaults();
    defaults.BookPath = "/books/VFtitel.htm";
    EXPECT_EQ(table, defaults);
}

TEST(ParameterTable, MissingBookAsksOnlyTheSecondQuestion) {
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    written.BookPath = dir.File("gone/VFtitel.htm");
    written.WriteFile(dir.File("Myogrid.par"));

    ParameterTable read;
    FakeQuestions questions;
    EXPECT_TRUE(read.ReadAtStartup(questions));
    EXPECT_EQ(questions.asked, std::vector{StartupFile::Book});
    EXPECT_TRUE(read.ParametersChanged) << "the next exit offers to save";
    EXPECT_EQ(read.BookPath, dir.File("gone/VFtitel.htm")) << "a cancelled question keeps the path";
}

TEST(ParameterTable, LookUpByKey) {
    ParameterTable table = ParameterTable::Defaults();
    std::vector<std::string> sunk;
    table.SetMessageSink([&](const std::string& m) { sunk.push_back(m); });
    EXPECT_EQ(table.ParameterAsInteger("active=", "1"), 170);
    EXPECT_DOUBLE_EQ(table.ParameterAsReal("F=", "1"), 0.75);
    EXPECT_TRUE(sunk.empty());
    EXPECT_EQ(table.ParameterAsInteger("Active=", "7"), 7) << "keys compare case-sensitively";
    EXPECT_DOUBLE_EQ(table.ParameterAsReal("Browser=", "0.5"), 0.5);
    EXPECT_EQ(sunk, (std::vector<std::string>{"Error in Myogrid.par!; default used",
                                              "Error in Myogrid.par!; default used"}));
    EXPECT_TRUE(table.StoreParameter("osc. 2 z=", "3"));
    EXPECT_EQ(table.Value(Param::Osc2Z), "3");
    EXPECT_FALSE(table.StoreParameter("nothing=", "3"));
    EXPECT_STREQ(KeyOf(Param::OscDimension), "osc. dimension=");
    EXPECT_STREQ(DefaultOf(Param::Period), "4000");
}

// Records where the bad lines are; the windows show one message for them.
struct LocatingQuestions : FakeQuestions {
    std::vector<std::pair<std::size_t, std::string>> badLines;
    std::vector<std::string> notes;
    void ReportFileFaults(const FileFaults& faults) override {
        for (const auto& bad : faults.badLines) badLines.emplace_back(bad.lineNumber, bad.line);
        notes.insert(notes.end(), faults.notes.begin(), faults.notes.end());
    }
};

TEST(ParameterTable, BadLinesAreLocatedAndOnlyTheFileLayoutIsRead) {
    ScopedWorkDir dir;
    std::string text = TableWithExistingPaths(dir).FileText();
    text.replace(text.find("threshold="), 10, "thresh=");
    // Far more than a parameter file holds: never read, whatever its size.
    text += std::string(3 << 20, 'x');
    WriteText(dir.File("Myogrid.par"), text);
    LocatingQuestions questions;
    ParameterTable table;
    EXPECT_FALSE(table.ReadAtStartup(questions));
    ASSERT_EQ(questions.badLines.size(), 1u);
    EXPECT_EQ(questions.badLines[0], (std::pair<std::size_t, std::string>{10, "thresh=14"}));

    // The plain questions show the program's own text.
    FakeQuestions plain;
    EXPECT_FALSE(ParameterTable().ReadAtStartup(plain));
    EXPECT_EQ(plain.messages, std::vector<std::string>{std::string(kBadLineMessage) +
                                                       "\nline 10: thresh=14\nThe defaults are "
                                                       "used for these entries."});

    // A file cut short: the missing lines read as empty.
    WriteText(dir.File("Myogrid.par"), text.substr(0, text.find("osc. 2 y=")));
    LocatingQuestions cut;
    EXPECT_FALSE(ParameterTable().ReadAtStartup(cut));
    ASSERT_EQ(cut.badLines.size(), 3u);
    EXPECT_EQ(cut.badLines[1], (std::pair<std::size_t, std::string>{38, ""}));
}

// The seed line: optional, after the 39 lines of the layout, never a reason
// to end the program.
TEST(ParameterTableSeed, KeptSeedFollowsTheLayoutAndReadsBack) {
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    const std::string without = written.FileText();
    written.Seed = 18446744073709551615ull;
    const std::string with = written.FileText();
    ASSERT_EQ(with.substr(0, without.size()), without);  // the 39 lines unchanged and first
    EXPECT_EQ(with.substr(without.size()), "seed=18446744073709551615\r\n");
    written.WriteFile(dir.File("Myogrid.par"));

    ParameterTable read;
    FakeQuestions questions;
    EXPECT_TRUE(read.ReadAtStartup(questions));
    EXPECT_EQ(read, written);
    EXPECT_EQ(read.Seed, written.Seed);
    EXPECT_TRUE(questions.messages.empty());
}

TEST(ParameterTableSeed, FileWithoutSeedLineReadsAsBefore) {
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    written.Store(Param::Dimension, "7");
    WriteText(dir.File("Myogrid.par"), written.FileText());
    ParameterTable read;
    read.Seed = 5;  // whatever the table held before
    FakeQuestions questions;
    EXPECT_TRUE(read.ReadAtStartup(questions));
    EXPECT_EQ(read, written);
    EXPECT_FALSE(read.Seed.has_value());
    EXPECT_FALSE(read.ParametersChanged);
    EXPECT_EQ(read.AsInteger(Param::Dimension), 7);
    // No file at all: no seed either.
    std::remove(dir.File("Myogrid.par").c_str());
    ParameterTable fresh;
    FakeQuestions none;
    EXPECT_TRUE(fresh.ReadAtStartup(none));
    EXPECT_FALSE(fresh.Seed.has_value());
}

TEST(ParameterTableSeed, UnreadableSeedLineIsReportedAndTheFileStaysGood) {
    ScopedWorkDir dir;
    const std::string layout = TableWithExistingPaths(dir).FileText();
    struct Case {
        std::string line;
        bool reported;
    };
    const Case cases[] = {{"seed=", true},
                          {"seed=abc", true},
                          {"seed=-1", true},
                          {"seed=+7", true},
                          {"seed= 7", true},
                          {"seed=7x", true},
                          {"seed=18446744073709551616", true},
                          {"seed=" + std::string(5000, '9'), true},
                          {"Seed=7", false},  // no seed line at all
                          {"xseed=7", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line.substr(0, 40));
        WriteText(dir.File("Myogrid.par"), layout + c.line + "\r\nmore\r\n");
        ParameterTable read;
        FakeQuestions questions;
        EXPECT_TRUE(read.ReadAtStartup(questions));
        EXPECT_FALSE(read.Seed.has_value());
        EXPECT_EQ(questions.messages.size(), c.reported ? 1u : 0u);
        EXPECT_FALSE(read.ParametersChanged);
        EXPECT_EQ(read.AsInteger(Param::Osc2Z), 0);
    }
    FakeQuestions shown;
    WriteText(dir.File("Myogrid.par"), layout + "seed=abc\r\n");
    ParameterTable().ReadAtStartup(shown);
    EXPECT_EQ(shown.messages, std::vector<std::string>{
                                  "The line \"seed=abc\" of Myogrid.par holds no seed (a whole "
                                  "number from 0 to 18446744073709551615); the runs are "
                                  "seeded from the clock."});
    // Trailing blanks, line ends of any kind, nothing after the seed's line.
    for (const std::string& tail : {std::string("seed=7 \t\r\n"), std::string("seed=7")}) {
        WriteText(dir.File("Myogrid.par"), layout + tail);
        ParameterTable read;
        FakeQuestions questions;
        EXPECT_TRUE(read.ReadAtStartup(questions));
        EXPECT_EQ(read.Seed, std::optional<std::uint64_t>(7));
        EXPECT_TRUE(questions.messages.empty());
    }
}

TEST(ParameterTable, PathWithAControlByteIsDroppedBeforeTheFileSystemSeesIt) {
    static QStringList qtMessages;
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext&, const QString& text) { qtMessages << text; });
    ScopedWorkDir dir;
    ParameterTable written = TableWithExistingPaths(dir);
    for (const char control : {'\0', '\x01', '\x7f'}) {
        written.BrowserPath = dir.File("browser") + std::string(1, control) + "x";
        WriteText(dir.File("Myogrid.par"), written.FileText());
        ParameterTable read;
        LocatingQuestions questions;
        EXPECT_TRUE(read.ReadAtStartup(questions));
        EXPECT_EQ(questions.notes,
                  std::vector<std::string>{"The browser path in Myogrid.par holds a control "
                                           "character; it is not used."});
        EXPECT_EQ(questions.asked, std::vector{StartupFile::Browser});
        EXPECT_EQ(read.BrowserPath, "");
        EXPECT_EQ(read.BookPath, written.BookPath);
    }
    qInstallMessageHandler(previous);
    EXPECT_TRUE(qtMessages.isEmpty()) << qtMessages.join(" ").toStdString();
}

TEST(ParameterTableSeed, SeedLineDoesNotRepairAShortFile) {
    // A seed line where a parameter line belongs is a bad parameter line.
    ScopedWorkDir dir;
    std::string text = TableWithExistingPaths(dir).FileText();
    text = text.substr(0, text.find("osc. 2 z=")) + "seed=12\r\n";
    WriteText(dir.File("Myogrid.par"), text);
    ParameterTable read;
    FakeQuestions questions;
    EXPECT_FALSE(read.ReadAtStartup(questions));
    EXPECT_FALSE(read.Seed.has_value());
}

// The defaults must survive the clamping a window applies when it fills its
// controls: otherwise a first start would show other values than it runs.
TEST(ParameterDefinition, DefaultsLieWithinTheRangesTheyAreClampedTo) {
    const ParameterValues defaults;
    ParameterValues clamped;
    clamped.ClampToControlRanges();
    for (const ParameterDefinition& definition : kParameterDefinitions) {
        if (definition.real) continue;
        EXPECT_EQ(clamped.Integer(definition.param), defaults.Integer(definition.param))
            << definition.key;
        EXPECT_GE(definition.increment, 1) << definition.key;
    }
}

TEST(ParameterDefinition, DependentMaximaFollowTheBoundingValues) {
    ParameterValues values;
    values.SetInteger(Param::XNexus, 1);
    values.SetInteger(Param::XyXzNexus, 0);
    values.SetInteger(Param::XyzNexus, 1);
    values.SetInteger(Param::Dimension, 6);
    values.SetInteger(Param::OscDimension, 4);
    EXPECT_EQ(DependentMaximum(Param::Threshold, values), 10);
    EXPECT_EQ(DependentMaximum(Param::Cell2Z, values), 6);
    EXPECT_EQ(DependentMaximum(Param::Osc1X, values), 4);
    EXPECT_EQ(DependentMaximum(Param::Period, values), std::nullopt);
    values.SetInteger(Param::Threshold, 60);
    values.SetInteger(Param::Cell2X, 10);
    values.SetInteger(Param::Osc2X, 5);
    values.ClampToControlRanges();
    EXPECT_EQ(values.Integer(Param::Threshold), 10);
    EXPECT_EQ(values.Integer(Param::Cell2X), 6);
    EXPECT_EQ(values.Integer(Param::Osc2X), 4);
}

}  // namespace
}  // namespace myogrid
