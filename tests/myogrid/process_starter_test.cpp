#include "myogrid/process_starter.h"

#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTest>
#include <fstream>
#include <sys/stat.h>

namespace myogrid {
namespace {

std::string ReadWhenThere(const std::string& path) {
    (void)QTest::qWaitFor(
        [&] {
            return QFile::exists(QString::fromStdString(path)) &&
                   QFile(QString::fromStdString(path)).size() > 0;
        },
        5000);
    std::ifstream in(path);
    std::string text;
    std::getline(in, text);
    return text;
}

TEST(SystemProcessStarter, StartsWithoutShellInOurFolderAndDoesNotWait) {
    testing_support::ScopedWorkDir dir;
    // A program whose path holds a blank; its argument holds "#" and a blank.
    // It runs until told to end (or gives up after half a minute), so a
    // starter that waited for it would only return once it had given up.
    const std::string program = dir.File("my browser");
    std::ofstream(program)
        << "#!/bin/sh\nsleep 2 &\necho \"$1|$(pwd)\" > seen.tmp\n"
           "mv seen.tmp seen.txt\ni=0\n"
           "while [ ! -e go ] && [ $i -lt 300 ]; do sleep 0.1; i=$((i+1)); done\n"
           "[ -e go ] || touch gave_up\necho ended > ended\n";
    chmod(program.c_str(), 0755);
    SystemProcessStarter starter;
    EXPECT_EQ(starter.Start(QString::fromStdString(program), {"/book/VF9.HTM#p2 x"}), 0);
    EXPECT_FALSE(QFile::exists(QString::fromStdString(dir.File("gave_up"))))
        << "returns without waiting for the program";
    std::ofstream(dir.File("go")) << "";
    EXPECT_EQ(ReadWhenThere(dir.File("seen.txt")), "/book/VF9.HTM#p2 x|" + dir.Path());
    // The folder stays until the program has seen "go", so it does not run on.
    EXPECT_EQ(ReadWhenThere(dir.File("ended")), "ended");
}

TEST(SystemProcessStarter, ReportsTheSystemErrorNumber) {
    testing_support::ScopedWorkDir dir;
    SystemProcessStarter starter;
    EXPECT_EQ(starter.Start("LTURTL.EXE", {"VF_ECG.LTL"}), 2);
    EXPECT_EQ(starter.Start("", {"vftitel.htm"}), 2);
    const std::string notExecutable = dir.File("plain.txt");
    std::ofstream(notExecutable) << "text";
    EXPECT_EQ(starter.Start(QString::fromStdString(notExecutable), {}), 13);  // permission denied
}

}  // namespace
}  // namespace myogrid
