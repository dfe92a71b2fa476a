#include "myogrid/launcher.h"
#include "myogrid/window_accessibility.h"

#include "common/licence.h"
#include "common/program_folders.h"

#include "common/errors.h"
#include "common/number_format.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "common/ui/window_placement.h"
#include "myogrid/illusion_window.h"
#include "myogrid/process_starter.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

namespace myogrid {
namespace {

constexpr const char* kAskBrowserTitle = "Your favorite Internet Browser to read information";
constexpr const char* kAskBookTitle = "Indicate place of VFtitel.htm";
constexpr const char* kAllFilesFilter = "All Files|*.*";

// Start-up questions answered with the program's dialogs.
class DialogQuestions : public StartupQuestions {
public:
    explicit DialogQuestions(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> AskForFile(StartupFile file) override {
        const char* title = file == StartupFile::Browser ? kAskBrowserTitle : kAskBookTitle;
        const auto answer = common::ui::Dialogs().OpenFileName(
            parent_, QString::fromLatin1(title), QString::fromLatin1(kAllFilesFilter));
        if (!answer) return std::nullopt;
        return answer->toStdString();
    }
    void ShowMessage(const std::string& message) override {
        common::ui::Dialogs().ShowError(parent_, common::ui::ApplicationTitle(),
                                        QString::fromStdString(message));
    }
    void ReportFailure(const std::string& message) override {
        common::ui::ShowErrorBox(parent_, QString::fromStdString(message));
    }

private:
    QWidget* parent_;
};

QLabel* Text(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    return label;
}

QLabel* Heading(QWidget* parent, const QString& text) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setBold(true);
    font.setPixelSize(15);
    label->setFont(font);
    return label;
}

}  // namespace

QString ChapterFile(const QString& numeral) {
    static const std::map<QString, QString> kChapters = {
        {QStringLiteral("I"), QStringLiteral("VF1.HTM")},
        {QStringLiteral("II"), QStringLiteral("VF2.HTM")},
        {QStringLiteral("III"), QStringLiteral("VF3.HTM")},
        {QStringLiteral("IV"), QStringLiteral("VF4.HTM")},
        {QStringLiteral("V"), QStringLiteral("VF5.HTM")},
        {QStringLiteral("VI"), QStringLiteral("VF6.HTM")},
        {QStringLiteral("VII"), QStringLiteral("VF7.HTM")},
        {QStringLiteral("VIII"), QStringLiteral("VF8.HTM")},
        {QStringLiteral("IX"), QStringLiteral("VF9.HTM")},
        {QStringLiteral("X"), QStringLiteral("V10.HTM")},
        {QStringLiteral("XI"), QStringLiteral("V11.HTM")},
        {QStringLiteral("XII"), QStringLiteral("V12.HTM")},
        {QStringLiteral("XIII"), QStringLiteral("V13.HTM")},
        {QStringLiteral("XIV"), QStringLiteral("V14.HTM")},
    };
    const auto found = kChapters.find(numeral);
    return found == kChapters.end() ? numeral : found->second;
}

QString ChapterTarget(const QString& caption) {
    // "chapter", numeral, "§", section, each separated by one blank.
    const QString rest = caption.mid(caption.indexOf(QLatin1Char(' ')) + 1, 25);
    const int blank = rest.indexOf(QLatin1Char(' '));
    const QString numeral = blank < 0 ? rest : rest.left(blank);
    const QString section = blank < 0 ? QString() : rest.mid(blank + 3, 25);
    return ChapterFile(numeral) + QStringLiteral("#p") + section;
}

Launcher::Launcher(ProcessStarter* starter, QWidget* parent, std::string parameterFile)
    : QWidget(parent), parameterFile_(std::move(parameterFile)), starter_(starter) {
    if (!starter_) {
        ownStarter_ = std::make_unique<SystemProcessStarter>();
        starter_ = ownStarter_.get();
    }
    setObjectName(QStringLiteral("launcher"));
    // Another parameter file than the usual one is named in the caption.
    QString caption = QString::fromLatin1(kLauncherCaption);
    const QString fileName = QFileInfo(QString::fromStdString(parameterFile_)).fileName();
    if (fileName != QLatin1String(kParameterFileName)) caption += QStringLiteral(" - ") + fileName;
    setWindowTitle(caption);
    CreateControls();
    MakeLauncherAccessible(*this);
    // Centred before reading the parameter file, so that its error boxes
    // stand centred over the launcher like every other box.
    common::ui::CentreOnScreen(*this);

    table_.SetMessageSink([this](const std::string& message) {
        common::ui::Dialogs().ShowError(this, common::ui::ApplicationTitle(),
                                        QString::fromStdString(message));
    });
    DialogQuestions questions(this);
    // A faulty file has been reported by now and its bad entries hold the
    // defaults: the launcher opens all the same.
    table_.ReadAtStartup(questions, parameterFile_);

    animationTimer = new QTimer(this);
    animationTimer->setObjectName(QStringLiteral("animationTimer"));
    animationTimer->setInterval(TitleAnimation::kTickMs);
    connect(animationTimer, &QTimer::timeout, this, [this] { AnimationTick(); });
    animationTimer->start();
}

Launcher::~Launcher() = default;

QPushButton* Launcher::ChapterButton(QWidget* page, const char* name, const QString& caption) {
    QPushButton* button = CommandButton(page, name, caption);
    connect(button, &QPushButton::clicked, this, [this, button] {
        common::ui::Guarded(this, [&] { OpenBookChapter(button->text()); });
    });
    return button;
}

QPushButton* Launcher::CommandButton(QWidget* page, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, page);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void Launcher::CreateControls() {
    QFont formFont(QStringLiteral("Liberation Sans"));
    formFont.setPixelSize(12);
    setFont(formFont);
    resize(591, 311);

    tabs = new QTabWidget(this);
    tabs->setObjectName(QStringLiteral("tabs"));
    tabs->setGeometry(8, 8, 334, 270);

    titlePicture = new common::ui::PlotView(TitleAnimation::kWidth, TitleAnimation::kHeight, this);
    titlePicture->setObjectName(QStringLiteral("titlePicture"));
    titlePicture->move(350, 24);
    titlePicture->SetImage(animation_.Surface().Image());

    // "title"
    auto* title = new QWidget;
    auto* titleLayout = new QVBoxLayout(title);
    auto* describedIn = Text(title, QStringLiteral("mathematical models as described in"));
    describedIn->setAlignment(Qt::AlignCenter);
    auto* bookTitle = new QLabel(QStringLiteral("Arrhythmica"), title);
    bookTitle->setObjectName(QStringLiteral("bookTitle"));
    QFont bookFont(QStringLiteral("Liberation Serif"));
    bookFont.setPixelSize(32);
    bookFont.setBold(true);
    bookFont.setItalic(true);
    bookTitle->setFont(bookFont);
    bookTitle->setAlignment(Qt::AlignCenter);
    bookTitle->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
    readBookButton = CommandButton(title, "readBookButton", QStringLiteral("read the book!"));
    exitButton = CommandButton(title, "exitButton", QStringLiteral("exit"));
    titleLayout->addStretch();
    titleLayout->addWidget(describedIn);
    titleLayout->addWidget(bookTitle);
    titleLayout->addStretch();
    titleLayout->addWidget(readBookButton, 0, Qt::AlignHCenter);
    titleLayout->addWidget(exitButton, 0, Qt::AlignHCenter);
    titleLayout->addStretch();
    tabs->addTab(title, QStringLiteral("title"));
    // Beneath the page's own layout, so nothing on it moves.
    workingFolder = new QLabel(title);
    workingFolder->setObjectName(QStringLiteral("workingFolder"));
    QFont smallFont(QStringLiteral("Liberation Sans"));
    smallFont.setPixelSize(9);
    workingFolder->setFont(smallFont);
    workingFolder->setStyleSheet(QStringLiteral("color: rgb(96, 96, 96);"));
    const QString folder = QString::fromStdString(common::WorkingFolder());
    workingFolder->setToolTip(folder);
    workingFolder->setText(QFontMetrics(smallFont).elidedText(
        QStringLiteral("working folder: ") + folder, Qt::ElideMiddle, 310));
    workingFolder->setGeometry(6, 230, 318, 12);
    auto* licence = new QLabel(QStringLiteral("free software: GNU GPL, version 3 or later"), title);
    licence->setObjectName(QStringLiteral("licence"));
    licence->setFont(smallFont);
    licence->setStyleSheet(QStringLiteral("color: rgb(96, 96, 96);"));
    licence->setToolTip(QString::fromLatin1(common::kLicenceNotice));
    licence->setGeometry(6, 218, 318, 12);

    // "illusions"
    auto* illusions = new QWidget;
    auto* illusionsLayout = new QGridLayout(illusions);
    illusionsLayout->addWidget(
        Text(illusions, QStringLiteral("independent oscillators with almost equal\n"
                                       "periods give the human mind the illusion of\n"
                                       "travelling waves (see right).")),
        0, 0, 1, 2);
    illusionsLayout->addWidget(Text(illusions, QStringLiteral("description:")), 1, 0);
    illusionChapterButton =
        ChapterButton(illusions, "illusionChapterButton", QStringLiteral("chapter VIII § 4"));
    illusionsLayout->addWidget(illusionChapterButton, 1, 1);
    illusionModelButton = CommandButton(illusions, "illusionModelButton",
                                        QStringLiteral("run the model of 25 x 25 oscillators"));
    illusionsLayout->addWidget(illusionModelButton, 2, 0, 1, 2);
    illusionsLayout->setRowStretch(3, 1);
    tabs->addTab(illusions, QStringLiteral("illusions"));

    // "levels" with one page per level
    levelTabs = new QTabWidget;
    levelTabs->setObjectName(QStringLiteral("levelTabs"));
    levelTabs->setUsesScrollButtons(false);
    tabs->addTab(levelTabs, QStringLiteral("levels"));

    auto* level0 = new QWidget;
    auto* level0Layout = new QGridLayout(level0);
    level0Layout->addWidget(Heading(level0, QStringLiteral("the myocardial cell")), 0, 0, 1, 2);
    level0Layout->addWidget(Text(level0, QStringLiteral("description")), 1, 0);
    cellChapterButton =
        ChapterButton(level0, "cellChapterButton", QStringLiteral("chapter XII § 3.2"));
    level0Layout->addWidget(cellChapterButton, 1, 1);
    level0Layout->addWidget(Text(level0, QStringLiteral("model: not available")), 2, 0, 1, 2);
    level0Layout->setRowStretch(3, 1);
    levelTabs->addTab(level0, QStringLiteral("0"));

    auto* level1 = new QWidget;
    auto* level1Layout = new QVBoxLayout(level1);
    level1Layout->addWidget(Heading(level1, QStringLiteral("conglomerate of cells")));
    levelOneTabs = new QTabWidget(level1);
    levelOneTabs->setObjectName(QStringLiteral("levelOneTabs"));
    level1Layout->addWidget(levelOneTabs);
    auto* models1 = new QWidget;
    auto* models1Layout = new QVBoxLayout(models1);
    blockModelButton = CommandButton(models1, "blockModelButton",
                                     QStringLiteral("3-dimensional block of model cells"));
    oneOscillatorButton =
        CommandButton(models1, "oneOscillatorButton", QStringLiteral("3-dim. block as oscillator"));
    fractalButton =
        CommandButton(models1, "fractalButton", QStringLiteral("oscillator as fractal"));
    models1Layout->addWidget(blockModelButton);
    models1Layout->addWidget(oneOscillatorButton);
    models1Layout->addWidget(fractalButton);
    models1Layout->addStretch();
    levelOneTabs->addTab(models1, QStringLiteral("models"));
    auto* description1 = new QWidget;
    auto* description1Layout = new QGridLayout(description1);
    // Three notebooks deep: narrow margins keep the longest label on one line.
    description1Layout->setContentsMargins(4, 6, 4, 6);
    description1Layout->addWidget(
        Text(description1, QStringLiteral("3-dimensional block of model cells:")), 0, 0);
    blockChapterButton =
        ChapterButton(description1, "blockChapterButton", QStringLiteral("chapter V § 3"));
    description1Layout->addWidget(blockChapterButton, 0, 1);
    description1Layout->addWidget(Text(description1, QStringLiteral("level:")), 1, 0);
    levelOneChapterButton =
        ChapterButton(description1, "levelOneChapterButton", QStringLiteral("chapter XII § 3.3"));
    description1Layout->addWidget(levelOneChapterButton, 1, 1);
    description1Layout->addWidget(Text(description1, QStringLiteral("fractal:")), 2, 0);
    fractalChapterButton =
        ChapterButton(description1, "fractalChapterButton", QStringLiteral("chapter XII § 3.5"));
    description1Layout->addWidget(fractalChapterButton, 2, 1);
    description1Layout->setRowStretch(3, 1);
    levelOneTabs->addTab(description1, QStringLiteral("description"));
    levelTabs->addTab(level1, QStringLiteral("1"));

    auto* level2 = new QWidget;
    auto* level2Layout = new QGridLayout(level2);
    level2Layout->addWidget(
        Heading(level2, QStringLiteral("conglomerate of level-1 conglomerates")), 0, 0, 1, 2);
    level2Layout->addWidget(Text(level2, QStringLiteral("description of level:")), 1, 0);
    levelTwoChapterButton =
        ChapterButton(level2, "levelTwoChapterButton", QStringLiteral("chapter XII § 3.6"));
    level2Layout->addWidget(levelTwoChapterButton, 1, 1);
    level2Layout->addWidget(Text(level2, QStringLiteral("description as relaxation oscillator:")),
                            2, 0);
    relaxationChapterButton =
        ChapterButton(level2, "relaxationChapterButton", QStringLiteral("chapter IX § 2"));
    level2Layout->addWidget(relaxationChapterButton, 2, 1);
    coupledOscillatorsButton = CommandButton(level2, "coupledOscillatorsButton",
                                             QStringLiteral("run group of relaxation oscillators"));
    level2Layout->addWidget(coupledOscillatorsButton, 3, 0, 1, 2);
    level2Layout->setRowStretch(4, 1);
    levelTabs->addTab(level2, QStringLiteral("2"));

    auto* level3 = new QWidget;
    auto* level3Layout = new QGridLayout(level3);
    level3Layout->addWidget(Heading(level3, QStringLiteral("the left ventricle")), 0, 0, 1, 2);
    level3Layout->addWidget(Text(level3, QStringLiteral("description:")), 1, 0);
    ventricleChapterButton =
        ChapterButton(level3, "ventricleChapterButton", QStringLiteral("chapter XII § 3.7"));
    level3Layout->addWidget(ventricleChapterButton, 1, 1);
    independentOscillatorsButton =
        CommandButton(level3, "independentOscillatorsButton",
                      QStringLiteral("run model of independent oscillators"));
    level3Layout->addWidget(independentOscillatorsButton, 2, 0, 1, 2);
    level3Layout->setRowStretch(3, 1);
    levelTabs->addTab(level3, QStringLiteral("3"));

    connect(blockModelButton, &QPushButton::clicked, this,
            [this] { OpenModel(QStringLiteral("Topological model"), ModelKind::Topological); });
    connect(oneOscillatorButton, &QPushButton::clicked, this, [this] {
        OpenModel(QStringLiteral("one oscillator model"), ModelKind::OneOscillator);
    });
    connect(coupledOscillatorsButton, &QPushButton::clicked, this, [this] {
        OpenModel(QStringLiteral("coupled oscillators model"), ModelKind::CoupledOscillators);
    });
    connect(independentOscillatorsButton, &QPushButton::clicked, this, [this] {
        OpenModel(QStringLiteral("independent oscillators model"),
                  ModelKind::IndependentOscillators);
    });
    connect(illusionModelButton, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { IllusionModelClicked(); }); });
    connect(readBookButton, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ReadBookClicked(); }); });
    connect(fractalButton, &QPushButton::clicked, this, [this] {
        common::ui::Guarded(this, [&] {
            RunOrReport(QStringLiteral("LTURTL.EXE"), {QStringLiteral("VF_ECG.LTL")});
        });
    });
    connect(exitButton, &QPushButton::clicked, this, [this] { ExitClicked(); });
}

void Launcher::SetIllusionWindow(IllusionWindow* illusion) {
    illusion_ = illusion;
    // Closing the illusion lets the title picture run on where it stood.
    if (illusion_)
        connect(illusion_, &IllusionWindow::Closed, animationTimer,
                [this] { animationTimer->start(); });
}

void Launcher::AnimationTick() {
    if (animation_.Tick(animationTimer->interval()) > 0)
        titlePicture->SetImage(animation_.Surface().Image());
}

int Launcher::RunProgram(const QString& program, const QStringList& arguments) {
    return starter_->Start(program, arguments);
}

void Launcher::RunOrReport(const QString& program, const QStringList& arguments) {
    const int code = RunProgram(program, arguments);
    if (code != 0) throw common::AppError(kRunFailedMessage + common::IntToText(code));
}

void Launcher::OpenPage(const QString& page) {
    const QString browser = QString::fromStdString(table_.LaunchBrowser());
    if (!browser.isEmpty()) {
        RunOrReport(browser, {page});
        return;
    }
    // No browser chosen (the question at the first start was cancelled):
    // the desktop's own opens the page.
    if (!starter_->OpenInDesktopBrowser(page))
        throw common::AppError(kRunFailedMessage + common::IntToText(2));
}

void Launcher::OpenBookChapter(const QString& caption) {
    const QString folder = QString::fromStdString(table_.BookFolder());
    if (folder.isEmpty()) return;
    OpenPage(folder + ChapterTarget(caption));
}

void Launcher::ReadBookClicked() {
    const QString folder = QString::fromStdString(table_.BookFolder());
    QString page = QFileInfo(folder + QStringLiteral("vftitel.htm")).absoluteFilePath();
    // On a file system that tells case apart the title page is found under
    // the name the user picked at start-up.
    const QString chosen = QString::fromStdString(table_.BookPath);
    if (!QFileInfo(page).isFile() && QFileInfo(chosen).isFile() &&
        QFileInfo(chosen).fileName().compare(QStringLiteral("vftitel.htm"), Qt::CaseInsensitive) ==
            0)
        page = QFileInfo(chosen).absoluteFilePath();
    // The browser or desktop would show nothing at all for a missing page.
    if (!QFileInfo(page).isFile())
        throw common::AppError("Cannot open file " + QDir::toNativeSeparators(page).toStdString());
    OpenPage(page);
}

void Launcher::OpenModel(const QString& title, ModelKind kind) {
    common::ui::Guarded(this, [&] {
        if (modelOpener_) modelOpener_(title, kind);
    });
}

void Launcher::IllusionModelClicked() {
    animationTimer->stop();
    if (illusion_) illusion_->Open();
}

void Launcher::SaveParameterFile() {
    if (!table_.ParametersChanged) return;
    // The proposed name is the very file the next start reads: on a file
    // system that tells case apart, "myogrid.par" would never be read again.
    const auto name = common::ui::Dialogs().SaveFileName(this, QString(), QString(),
                                                         QString::fromStdString(parameterFile_));
    if (!name) return;
    table_.WriteFile(name->toStdString());
}

void Launcher::ExitClicked() {
    // A file that cannot be written keeps the launcher open.
    if (!common::ui::Guarded(this, [&] { SaveParameterFile(); })) return;
    leaving_ = true;
    close();
}

void Launcher::closeEvent(QCloseEvent* event) {
    // Closing by the frame offers the same save as "exit".
    if (!leaving_ && !common::ui::Guarded(this, [&] { SaveParameterFile(); })) {
        event->ignore();
        return;
    }
    leaving_ = true;
    animationTimer->stop();
    event->accept();
    emit Closed();
}

}  // namespace myogrid
