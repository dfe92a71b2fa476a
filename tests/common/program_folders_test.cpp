#include "common/program_folders.h"

#include "common/errors.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <fstream>

namespace common {
namespace {

void Write(const std::string& path, const std::string& text) { std::ofstream(path) << text; }

class CompanionFiles : public ::testing::Test {
protected:
    void SetUp() override {
        QDir(installed.path()).mkpath(QStringLiteral("share/ecgtrace"));
        share = installed.path().toStdString() + "/share/ecgtrace/";
        SetInstalledDataFolder(share);
    }
    void TearDown() override { SetInstalledDataFolder(""); }

    QTemporaryDir installed;
    std::string share;
    testing_support::ScopedWorkDir work;
};

TEST_F(CompanionFiles, WorkingCopyWinsOverTheInstalledOne) {
    Write(share + "V13.rtf", "installed");
    EXPECT_EQ(CompanionFile("V13.rtf"), share + "V13.rtf");
    Write(work.File("V13.rtf"), "edited");
    EXPECT_EQ(CompanionFile("V13.rtf"), "V13.rtf");
}

TEST_F(CompanionFiles, MissingEverywhereKeepsTheNameForTheMessage) {
    EXPECT_EQ(CompanionFile("V13b.rtf"), "V13b.rtf");
    SetInstalledDataFolder("");
    Write(share + "V13b.rtf", "installed");
    EXPECT_EQ(CompanionFile("V13b.rtf"), "V13b.rtf") << "no installed folder known";
}

TEST(InstalledDataFolder, LiesBesideTheBinFolderWhereverThePrefixIs) {
    EXPECT_EQ(InstalledDataFolder("/opt/x/bin", "ecgtrace"), "/opt/x/share/ecgtrace/");
    EXPECT_EQ(InstalledDataFolder("/usr/bin/", "myogrid"), "/usr/share/myogrid/");
}

TEST(WorkingFolderChoice, UserFolderIsCreatedAndEntered) {
    testing_support::ScopedWorkDir work;
    const std::string nested = work.File("a/b");
    EnterWorkingFolder(nested);
    EXPECT_EQ(QDir(QString::fromStdString(WorkingFolder())).canonicalPath(),
              QDir(QString::fromStdString(nested)).canonicalPath());
    Write(work.File("plain"), "");
    EXPECT_THROW(EnterWorkingFolder(work.File("plain/c")), AppError);

    const char* old = std::getenv("XDG_DATA_HOME");
    const std::string saved = old ? old : "";
    setenv("XDG_DATA_HOME", work.File("data").c_str(), 1);
    EXPECT_EQ(UserDataFolder("ecgtrace"), work.File("data") + "/ecgtrace");
    if (old)
        setenv("XDG_DATA_HOME", saved.c_str(), 1);
    else
        unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace common
