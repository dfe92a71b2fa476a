#include "ecgtrace/about_box.h"

#include "ecgtrace/program_icon.h"

#include "common/licence.h"
#include "common/program_folders.h"

#include <QFontMetrics>
#include <QFrame>
#include <QGuiApplication>
#include <QScreen>
#include <QLabel>
#include <QPushButton>

namespace ecgtrace {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(QStringLiteral("About"));
    setWindowIcon(ProgramIcon());
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(298, 218);
    setModal(true);
    QFont font(QStringLiteral("Liberation Sans"));
    font.setPixelSize(11);
    setFont(font);

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("aboutPanel"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(8, 8, 281, 161);

    auto* icon = new QLabel(panel);
    icon->setObjectName(QStringLiteral("ProgramIcon"));
    icon->setPixmap(ProgramIconPixmap(32));
    icon->setGeometry(8, 8, 32, 32);

    auto* product = new QLabel(QStringLiteral("simulation of ventricular fibrillation"), panel);
    product->setObjectName(QStringLiteral("ProductName"));
    product->setGeometry(56, 14, 217, 16);

    auto* version = new QLabel(QStringLiteral("Version 1.0"), panel);
    version->setObjectName(QStringLiteral("Version"));
    version->setGeometry(8, 56, 265, 16);

    auto* rights = new QLabel(
        QStringLiteral("Copyright \u00A9 the book's author; GNU GPL 3 or later."), panel);
    rights->setObjectName(QStringLiteral("Copyright"));
    rights->setToolTip(QString::fromLatin1(common::kLicenceNotice));
    rights->setGeometry(8, 80, 265, 16);

    auto* comments = new QLabel(
        QStringLiteral("This program accompanies the book on ventricular fibrillation; "
                       "the full text of the book is available on its author's web site."),
        panel);
    comments->setObjectName(QStringLiteral("Comments"));
    comments->setWordWrap(true);
    comments->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    comments->setGeometry(8, 104, 265, 42);

    // Where the program reads and writes its files, in small type.
    auto* folder = new QLabel(panel);
    folder->setObjectName(QStringLiteral("workingFolder"));
    QFont small(QStringLiteral("Liberation Sans"));
    small.setPixelSize(9);
    folder->setFont(small);
    const QString path = QString::fromStdString(common::WorkingFolder());
    folder->setToolTip(path);
    folder->setText(QFontMetrics(small).elidedText(QStringLiteral("working folder: ") + path,
                                                   Qt::ElideMiddle, 265));
    folder->setGeometry(8, 147, 265, 11);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("OKButton"));
    ok->setGeometry(111, 180, 75, 25);
    ok->setDefault(true);
    ok->setAutoDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void AboutBox::showEvent(QShowEvent* event) {
    // Centred on the screen, not over the window that opened it.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

}  // namespace ecgtrace
