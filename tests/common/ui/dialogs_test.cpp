// The real dialogs' rule for replacing a file without asking.
#include "common/ui/dialogs.h"

#include <gtest/gtest.h>
#include <QDir>

TEST(SaveDialog, OnlyTheProposedFileIsReplacedWithoutAQuestion) {
    using common::ui::IsProposedFile;
    const QString here = QDir::current().absoluteFilePath(QStringLiteral("vfdef.par"));
    EXPECT_TRUE(IsProposedFile(here, QStringLiteral("vfdef.par")));
    EXPECT_TRUE(IsProposedFile(QStringLiteral("vfdef.par"), QStringLiteral("vfdef.par")));
    EXPECT_FALSE(IsProposedFile(QDir::current().absoluteFilePath(QStringLiteral("other.par")),
                                QStringLiteral("vfdef.par")));
    EXPECT_FALSE(
        IsProposedFile(QStringLiteral("/elsewhere/vfdef.par"), QStringLiteral("vfdef.par")));
    EXPECT_FALSE(IsProposedFile(here, QString()));
}
