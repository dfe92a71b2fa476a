// The real dialogs' rule for replacing a file without asking.
#include "common/ui/dialogs.h"

#include <gtest/gtest.h>
#include <QDir>
#include <QLineEdit>
#include <QTest>

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

// Digits beyond the range are shown, not dropped: OK puts the limit in the
// field and keeps the box open until the limit is confirmed.
TEST(IntegerQuestion, OutOfRangeTypingIsClampedVisiblyBeforeAccepting) {
    struct Case {
        const char* typed;
        const char* shownAfterOk;
        bool accepted;
    };
    const Case cases[] = {{"12", "8", false}, {"0", "1", false}, {"5", "5", true}};
    for (const Case& c : cases) {
        common::ui::IntegerQuestion box(nullptr, "Save picture", "Scale (1 to 8):", 1, 1, 8);
        auto* field = box.Field()->findChild<QLineEdit*>();
        ASSERT_NE(field, nullptr);
        field->selectAll();
        QTest::keyClicks(field, QString::fromLatin1(c.typed));
        EXPECT_EQ(box.Text(), QString::fromLatin1(c.typed)) << c.typed;
        box.accept();
        EXPECT_EQ(box.Text(), QString::fromLatin1(c.shownAfterOk)) << c.typed;
        EXPECT_EQ(box.result() == QDialog::Accepted, c.accepted) << c.typed;
        if (!c.accepted) {
            box.accept();  // the limit confirmed
            EXPECT_EQ(box.result(), QDialog::Accepted) << c.typed;
        }
        EXPECT_EQ(box.Value(), QString::fromLatin1(c.shownAfterOk).toInt()) << c.typed;
    }
}
