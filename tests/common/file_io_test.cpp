#include "common/errors.h"
#include "common/file_io.h"
#include "support/work_dir.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#include "common/plot_export.h"
#include "common/plot_surface.h"

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

// --- the one checked writing path ------------------------------------------------

namespace {

using common::WriteStage;

// Files in the folder besides `keep`: a failed write leaves no temporary file.
QStringList OtherFiles(const std::string& folder, const QString& keep) {
    QStringList names =
        QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden | QDir::System);
    names.removeAll(keep);
    return names;
}

struct FaultHook {
    explicit FaultHook(WriteStage failing) {
        common::SetWriteFaultHookForTesting(
            [failing](WriteStage stage) { return stage == failing ? ENOSPC : 0; });
    }
    ~FaultHook() { common::SetWriteFaultHookForTesting({}); }
};

struct Writer {
    const char* name;
    std::function<void(const std::string& path)> write;
};

const Writer kWriters[] = {
    {"whole file", [](const std::string& p) { common::WriteFileAtomically(p, "new"); }},
    {"streamed",
     [](const std::string& p) {
         common::AtomicFileWriter file(p);
         for (int i = 0; i < 3; ++i) file.Write(std::string(40000, 'x'));
         file.Commit();
     }},
    {"bitmap", [](const std::string& p) { common::PlotSurface(8, 8).SaveBmp(p); }},
    {"png",
     [](const std::string& p) {
         common::SavePicture(common::PlotSurface(8, 8), p, common::PictureFormat::Png, 2);
     }},
};

}  // namespace

TEST(CheckedWrite, AFailureAtAnyStageKeepsTheFormerFileNamesTheReasonAndLeavesNoTemporary) {
    testing_support::ScopedWorkDir dir;
    const std::string path = dir.File("prev.png");
    for (const Writer& writer : kWriters) {
        for (const WriteStage stage : {WriteStage::Open, WriteStage::Write, WriteStage::Sync,
                                       WriteStage::Close, WriteStage::Rename}) {
            SCOPED_TRACE(std::string(writer.name) + " stage " +
                         std::to_string(static_cast<int>(stage)));
            common::WriteFileAtomically(path, "former");
            try {
                FaultHook hook(stage);
                writer.write(path);
                ADD_FAILURE() << "no failure reported";
            } catch (const common::AppError& e) {
                EXPECT_NE(e.Message().find(path + ". No space left on device"), std::string::npos)
                    << e.Message();
            }
            EXPECT_EQ(common::ReadWholeFile(path), "former");
            EXPECT_EQ(OtherFiles(dir.Path(), "prev.png"), QStringList());
        }
        writer.write(path);  // and without a fault it is written
        EXPECT_NE(common::ReadWholeFile(path), "former") << writer.name;
    }
}

TEST(CheckedWrite, ThePermissionsOfTheReplacedFileStayAndAnAbandonedStreamLeavesNothing) {
    testing_support::ScopedWorkDir dir;
    const std::string path = dir.File("run.csv");
    common::WriteFileAtomically(path, "former");
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    common::WriteFileAtomically(path, "new");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    {
        common::AtomicFileWriter abandoned(path);
        abandoned.Write("half a line");
    }
    EXPECT_EQ(common::ReadWholeFile(path), "new");
    EXPECT_EQ(OtherFiles(dir.Path(), "run.csv"), QStringList());
}

TEST(CheckedWrite, ALinkIsFollowedAndWhatIsNoRegularFileIsNeverReplaced) {
    testing_support::ScopedWorkDir dir;
    // A link: the file behind it is replaced, the link stays.
    common::WriteFileAtomically(dir.File("real.par"), "former");
    ASSERT_EQ(::symlink("real.par", dir.File("link.par").c_str()), 0);
    common::WriteFileAtomically(dir.File("link.par"), "new");
    EXPECT_EQ(common::ReadWholeFile(dir.File("real.par")), "new");
    struct stat info {};
    ASSERT_EQ(::lstat(dir.File("link.par").c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));

    // A folder is refused.
    ASSERT_TRUE(QDir(QString::fromStdString(dir.Path())).mkdir("folder"));
    EXPECT_THROW(common::WriteFileAtomically(dir.File("folder"), "x"), common::AppError);

    // A FIFO is written into; without a reader it is refused at once.
    const std::string fifo = dir.File("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    try {
        common::WriteFileAtomically(fifo, "x");
        ADD_FAILURE();
    } catch (const common::AppError& e) {
        EXPECT_NE(e.Message().find("No such device or address"), std::string::npos);
    }
    std::string read;
    std::thread reader([&] { read = common::ReadWholeFile(fifo); });
    // The reader may not have opened the FIFO yet: try until it has.
    for (int attempt = 0; attempt < 2000; ++attempt) {
        try {
            common::WriteFileAtomically(fifo, "through the pipe");
            break;
        } catch (const common::AppError&) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    }
    reader.join();
    EXPECT_EQ(read, "through the pipe");
    ASSERT_EQ(::lstat(fifo.c_str(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));

    // A character device (a private null device, where root may make one)
    // is written into and stays a device.
    const std::string device = dir.File("null");
    if (::mknod(device.c_str(), S_IFCHR | 0600, makedev(1, 3)) == 0) {
        common::WriteFileAtomically(device, "gone");
        ASSERT_EQ(::lstat(device.c_str(), &info), 0);
        EXPECT_TRUE(S_ISCHR(info.st_mode));
    }
}
