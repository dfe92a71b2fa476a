#include "common/errors.h"
#include "common/file_io.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

TEST(FileIo, AtomicWriteReplacesAndAFailedWriteKeepsTheOldFile) {
    testing_support::ScopedWorkDir dir;
    const std::string path = dir.File("vfdef.par");
    EXPECT_FALSE(common::FileExists(path));
    common::WriteFileAtomically(path, "first\r\n");
    EXPECT_TRUE(common::FileExists(path));
    common::WriteFileAtomically(path, "second\r\n");
    EXPECT_EQ(common::ReadWholeFile(path), "second\r\n");

    // A folder that cannot be written: the old file stays as it was.
    QFile::setPermissions(QString::fromStdString(dir.Path()), QFile::ReadOwner | QFile::ExeOwner);
    bool failed = false;
    try {
        common::WriteFileAtomically(path, "third\r\n");
    } catch (const common::AppError&) {
        failed = true;
    }
    QFile::setPermissions(QString::fromStdString(dir.Path()),
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (failed) {
        EXPECT_EQ(common::ReadWholeFile(path), "second\r\n");
    }
    EXPECT_FALSE(common::FileExists(dir.Path()));  // folders are not files
}

TEST(FileIo, MissingFileNamesItself) {
    testing_support::ScopedWorkDir dir;
    try {
        common::ReadWholeFile("V13.rtf");
        ADD_FAILURE();
    } catch (const common::AppError& e) {
        EXPECT_STREQ(e.what(), "Cannot open file V13.rtf");
    }
}
