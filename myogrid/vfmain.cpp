#include "myogrid/vfmain.h"

#include "common/errors.h"
#include "common/number_format.h"
#include "common/ui/dialogs.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"
#include "myogrid/illusion.h"
#include "myogrid/process_starter.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <map>

namespace myogrid {
namespace {

// Start-up questions answered with the program's dialogs.
class DialogQuestions : public StartupQuestions {
public:
    explicit DialogQuestions(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> AskForFile(const std::string& title, const std::string& filter) override {
        const auto answer = common::ui::Dialogs().OpenFileName(parent_, QString::fromStdString(title),
                                                               QString::fromStdString(filter));
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
        {QStringLiteral("I"), QStringLiteral("VF1.HTM")},    {QStringLiteral("II"), QStringLiteral("VF2.HTM")},
        {QStringLiteral("III"), QStringLiteral("VF3.HTM")},  {QStringLiteral("IV"), QStringLiteral("VF4.HTM")},
        {QStringLiteral("V"), QStringLiteral("VF5.HTM")},    {QStringLiteral("VI"), QStringLiteral("VF6.HTM")},
        {QStringLiteral("VII"), QStringLiteral("VF7.HTM")},  {QStringLiteral("VIII"), QStringLiteral("VF8.HTM")},
        {QStringLiteral("IX"), QStringLiteral("VF9.HTM")},   {QStringLiteral("X"), QStringLiteral("V10.HTM")},
        {QStringLiteral("XI"), QStringLiteral("V11.HTM")},   {QStringLiteral("XII"), QStringLiteral("V12.HTM")},
        {QStringLiteral("XIII"), QStringLiteral("V13.HTM")}, {QStringLiteral("XIV"), QStringLiteral("V14.HTM")},
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

TMainForm::TMainForm(ProcessStarter* starter, QWidget* parent) : QWidget(parent), starter_(starter) {
    if (!starter_) {
        ownStarter_ = std::make_unique<SystemProcessStarter>();
        starter_ = ownStarter_.get();
    }
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QString::fromLatin1(kLauncherCaption));
    CreateControls();
    // Centred before reading the parameter file, so that its error boxes
    // stand centred over the launcher like every other box.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    table_.SetMessageSink([this](const std::string& message) {
        common::ui::Dialogs().ShowError(this, common::ui::ApplicationTitle(), QString::fromStdString(message));
    });
    DialogQuestions questions(this);
    mustClose_ = !table_.ReadAtStartup(questions);

    TimerGeneral = new QTimer(this);
    TimerGeneral->setObjectName(QStringLiteral("TimerGeneral"));
    TimerGeneral->setInterval(TitleAnimation::kTickMs);
    connect(TimerGeneral, &QTimer::timeout, this, [this] { TimerGeneralTimer(); });
    if (!mustClose_) TimerGeneral->start();
}

TMainForm::~TMainForm() = default;

QPushButton* TMainForm::ChapterButton(QWidget* page, const char* name, const QString& caption) {
    QPushButton* button = CommandButton(page, name, caption);
    connect(button, &QPushButton::clicked, this, [this, button] {
        common::ui::Guarded(this, [&] { OpenBookChapter(button->text()); });
    });
    return button;
}

QPushButton* TMainForm::CommandButton(QWidget* page, const char* name, const QString& caption) {
    auto* button = new QPushButton(caption, page);
    button->setObjectName(QString::fromLatin1(name));
    return button;
}

void TMainForm::CreateControls() {
    QFont formFont(QStringLiteral("Liberation Sans"));
    formFont.setPixelSize(12);
    setFont(formFont);
    resize(591, 311);

    Notebook = new QTabWidget(this);
    Notebook->setObjectName(QStringLiteral("Notebook"));
    Notebook->setGeometry(8, 8, 334, 270);

    ImageAnimation = new common::ui::PlotView(TitleAnimation::kWidth, TitleAnimation::kHeight, this);
    ImageAnimation->setObjectName(QStringLiteral("ImageAnimation"));
    ImageAnimation->move(350, 24);
    ImageAnimation->SetImage(animation_.Surface().Image());

    // "title"
    auto* title = new QWidget;
    auto* titleLayout = new QVBoxLayout(title);
    auto* describedIn = Text(title, QStringLiteral("mathematical models as described in"));
    describedIn->setAlignment(Qt::AlignCenter);
    auto* bookTitle = new QLabel(QStringLiteral("Arrhythmica"), title);
    bookTitle->setObjectName(QStringLiteral("LabelBook"));
    QFont bookFont(QStringLiteral("Liberation Serif"));
    bookFont.setPixelSize(32);
    bookFont.setBold(true);
    bookFont.setItalic(true);
    bookTitle->setFont(bookFont);
    bookTitle->setAlignment(Qt::AlignCenter);
    bookTitle->setStyleSheet(QStringLiteral("color: rgb(128, 0, 0);"));
    ButtonRead = CommandButton(title, "ButtonRead", QStringLiteral("read the book!"));
    ButtonExit = CommandButton(title, "ButtonExit", QStringLiteral("exit"));
    titleLayout->addStretch();
    titleLayout->addWidget(describedIn);
    titleLayout->addWidget(bookTitle);
    titleLayout->addStretch();
    titleLayout->addWidget(ButtonRead, 0, Qt::AlignHCenter);
    titleLayout->addWidget(ButtonExit, 0, Qt::AlignHCenter);
    titleLayout->addStretch();
    Notebook->addTab(title, QStringLiteral("title"));

    // "illusions"
    auto* illusions = new QWidget;
    auto* illusionsLayout = new QGridLayout(illusions);
    illusionsLayout->addWidget(Text(illusions, QStringLiteral("independent oscillators with almost equal\n"
                                                             "periods give the human mind the illusion of\n"
                                                             "travelling waves (see right).")),
                               0, 0, 1, 2);
    illusionsLayout->addWidget(Text(illusions, QStringLiteral("description:")), 1, 0);
    ButtonIllusion = ChapterButton(illusions, "ButtonIllusion", QStringLiteral("chapter VIII § 4"));
    illusionsLayout->addWidget(ButtonIllusion, 1, 1);
    ButtonModelIllusion =
        CommandButton(illusions, "ButtonModelIllusion", QStringLiteral("run the model of 25 x 25 oscillators"));
    illusionsLayout->addWidget(ButtonModelIllusion, 2, 0, 1, 2);
    illusionsLayout->setRowStretch(3, 1);
    Notebook->addTab(illusions, QStringLiteral("illusions"));

    // "levels" with one page per level
    NotebookLevels = new QTabWidget;
    NotebookLevels->setObjectName(QStringLiteral("NotebookLevels"));
    NotebookLevels->setUsesScrollButtons(false);
    Notebook->addTab(NotebookLevels, QStringLiteral("levels"));

    auto* level0 = new QWidget;
    auto* level0Layout = new QGridLayout(level0);
    level0Layout->addWidget(Heading(level0, QStringLiteral("the myocardial cell")), 0, 0, 1, 2);
    level0Layout->addWidget(Text(level0, QStringLiteral("description")), 1, 0);
    ButtonDescr0 = ChapterButton(level0, "ButtonDescr0", QStringLiteral("chapter XII § 3.2"));
    level0Layout->addWidget(ButtonDescr0, 1, 1);
    level0Layout->addWidget(Text(level0, QStringLiteral("model: not available")), 2, 0, 1, 2);
    level0Layout->setRowStretch(3, 1);
    NotebookLevels->addTab(level0, QStringLiteral("0"));

    auto* level1 = new QWidget;
    auto* level1Layout = new QVBoxLayout(level1);
    level1Layout->addWidget(Heading(level1, QStringLiteral("conglomerate of cells")));
    NotebookLevel1 = new QTabWidget(level1);
    NotebookLevel1->setObjectName(QStringLiteral("NotebookLevel1"));
    level1Layout->addWidget(NotebookLevel1);
    auto* models1 = new QWidget;
    auto* models1Layout = new QVBoxLayout(models1);
    ButtonTopolt = CommandButton(models1, "ButtonTopolt", QStringLiteral("3-dimensional block of model cells"));
    ButtonVFsum1 = CommandButton(models1, "ButtonVFsum1", QStringLiteral("3-dim. block as oscillator"));
    ButtonFractal = CommandButton(models1, "ButtonFractal", QStringLiteral("oscillator as fractal"));
    models1Layout->addWidget(ButtonTopolt);
    models1Layout->addWidget(ButtonVFsum1);
    models1Layout->addWidget(ButtonFractal);
    models1Layout->addStretch();
    NotebookLevel1->addTab(models1, QStringLiteral("models"));
    auto* description1 = new QWidget;
    auto* description1Layout = new QGridLayout(description1);
    // Three notebooks deep: narrow margins keep the longest label on one line.
    description1Layout->setContentsMargins(4, 6, 4, 6);
    description1Layout->addWidget(Text(description1, QStringLiteral("3-dimensional block of model cells:")), 0, 0);
    ButtonDescr1A = ChapterButton(description1, "ButtonDescr1A", QStringLiteral("chapter V § 3"));
    description1Layout->addWidget(ButtonDescr1A, 0, 1);
    description1Layout->addWidget(Text(description1, QStringLiteral("level:")), 1, 0);
    ButtonDescr1B = ChapterButton(description1, "ButtonDescr1B", QStringLiteral("chapter XII § 3.3"));
    description1Layout->addWidget(ButtonDescr1B, 1, 1);
    description1Layout->addWidget(Text(description1, QStringLiteral("fractal:")), 2, 0);
    ButtonDescr1C = ChapterButton(description1, "ButtonDescr1C", QStringLiteral("chapter XII § 3.5"));
    description1Layout->addWidget(ButtonDescr1C, 2, 1);
    description1Layout->setRowStretch(3, 1);
    NotebookLevel1->addTab(description1, QStringLiteral("description"));
    NotebookLevels->addTab(level1, QStringLiteral("1"));

    auto* level2 = new QWidget;
    auto* level2Layout = new QGridLayout(level2);
    level2Layout->addWidget(Heading(level2, QStringLiteral("conglomerate of level-1 conglomerates")), 0, 0, 1, 2);
    level2Layout->addWidget(Text(level2, QStringLiteral("description of level:")), 1, 0);
    ButtonDescr2A = ChapterButton(level2, "ButtonDescr2A", QStringLiteral("chapter XII § 3.6"));
    level2Layout->addWidget(ButtonDescr2A, 1, 1);
    level2Layout->addWidget(Text(level2, QStringLiteral("description as relaxation oscillator:")), 2, 0);
    ButtonDescr2B = ChapterButton(level2, "ButtonDescr2B", QStringLiteral("chapter IX § 2"));
    level2Layout->addWidget(ButtonDescr2B, 2, 1);
    ButtonModel2 = CommandButton(level2, "ButtonModel2", QStringLiteral("run group of relaxation oscillators"));
    level2Layout->addWidget(ButtonModel2, 3, 0, 1, 2);
    level2Layout->setRowStretch(4, 1);
    NotebookLevels->addTab(level2, QStringLiteral("2"));

    auto* level3 = new QWidget;
    auto* level3Layout = new QGridLayout(level3);
    level3Layout->addWidget(Heading(level3, QStringLiteral("the left ventricle")), 0, 0, 1, 2);
    level3Layout->addWidget(Text(level3, QStringLiteral("description:")), 1, 0);
    ButtonDescr3 = ChapterButton(level3, "ButtonDescr3", QStringLiteral("chapter XII § 3.7"));
    level3Layout->addWidget(ButtonDescr3, 1, 1);
    ButtonModel3 = CommandButton(level3, "ButtonModel3", QStringLiteral("run model of independent oscillators"));
    level3Layout->addWidget(ButtonModel3, 2, 0, 1, 2);
    level3Layout->setRowStretch(3, 1);
    NotebookLevels->addTab(level3, QStringLiteral("3"));

    connect(ButtonTopolt, &QPushButton::clicked, this,
            [this] { OpenModel(QStringLiteral("Topological model"), ModelKind::Topological); });
    connect(ButtonVFsum1, &QPushButton::clicked, this,
            [this] { OpenModel(QStringLiteral("one oscillator model"), ModelKind::OneOscillator); });
    connect(ButtonModel2, &QPushButton::clicked, this,
            [this] { OpenModel(QStringLiteral("coupled oscillators model"), ModelKind::CoupledOscillators); });
    connect(ButtonModel3, &QPushButton::clicked, this, [this] {
        OpenModel(QStringLiteral("independent oscillators model"), ModelKind::IndependentOscillators);
    });
    connect(ButtonModelIllusion, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ButtonModelIllusionClick(); }); });
    connect(ButtonRead, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ButtonReadClick(); }); });
    connect(ButtonFractal, &QPushButton::clicked, this, [this] {
        common::ui::Guarded(this, [&] {
            RunOrReport(QStringLiteral("LTURTL.EXE"), {QStringLiteral("VF_ECG.LTL")});
        });
    });
    connect(ButtonExit, &QPushButton::clicked, this, [this] { ButtonExitClick(); });
}

void TMainForm::SetIllusionWindow(TFormIllusion* illusion) {
    illusion_ = illusion;
    // Closing the illusion lets the title picture run on where it stood.
    if (illusion_) connect(illusion_, &TFormIllusion::Closed, TimerGeneral, [this] { TimerGeneral->start(); });
}

void TMainForm::TimerGeneralTimer() {
    if (animation_.Tick(TimerGeneral->interval()) > 0) ImageAnimation->SetImage(animation_.Surface().Image());
}

int TMainForm::RunProgram(const QString& program, const QStringList& arguments) {
    return starter_->Start(program, arguments);
}

void TMainForm::RunOrReport(const QString& program, const QStringList& arguments) {
    const int code = RunProgram(program, arguments);
    if (code != 0) throw common::AppError(kRunFailedMessage + common::IntToText(code));
}

void TMainForm::OpenBookChapter(const QString& caption) {
    const QString browser = QString::fromStdString(table_.LaunchBrowser());
    const QString folder = QString::fromStdString(table_.BookFolder());
    if (browser.isEmpty() || folder.isEmpty()) return;
    RunOrReport(browser, {folder + ChapterTarget(caption)});
}

void TMainForm::ButtonReadClick() {
    // No check for empty paths here: a missing browser is reported.
    const QString folder = QString::fromStdString(table_.BookFolder());
    QString page = folder + QStringLiteral("vftitel.htm");
    // On a file system that tells case apart the title page is found under
    // the name the user picked at start-up.
    const QString chosen = QString::fromStdString(table_.BookPath);
    if (!QFileInfo(page).isFile() && QFileInfo(chosen).isFile() &&
        QFileInfo(chosen).fileName().compare(QStringLiteral("vftitel.htm"), Qt::CaseInsensitive) == 0)
        page = chosen;
    RunOrReport(QString::fromStdString(table_.LaunchBrowser()), {page});
}

void TMainForm::OpenModel(const QString& title, ModelKind kind) {
    common::ui::Guarded(this, [&] {
        if (modelOpener_) modelOpener_(title, kind);
    });
}

void TMainForm::ButtonModelIllusionClick() {
    TimerGeneral->stop();
    if (illusion_) illusion_->Open();
}

void TMainForm::SaveParameterFile() {
    if (!table_.ParametersChanged) return;
    // The proposed name is the very file the next start reads: on a file
    // system that tells case apart, "myogrid.par" would never be read again.
    const auto name = common::ui::Dialogs().SaveFileName(this, QString(), QString(),
                                                         QString::fromLatin1(kParameterFileName));
    if (!name) return;
    table_.WriteFile(name->toStdString());
}

void TMainForm::ButtonExitClick() {
    // A file that cannot be written keeps the launcher open.
    if (!common::ui::Guarded(this, [&] { SaveParameterFile(); })) return;
    leaving_ = true;
    close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
    // Closing by the frame offers the same save as "exit".
    if (!leaving_ && !common::ui::Guarded(this, [&] { SaveParameterFile(); })) {
        event->ignore();
        return;
    }
    leaving_ = true;
    TimerGeneral->stop();
    event->accept();
    emit Closed();
}

}  // namespace myogrid
