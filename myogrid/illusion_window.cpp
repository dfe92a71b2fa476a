#include "myogrid/illusion_window.h"
#include "myogrid/window_accessibility.h"

#include "common/number_format.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_menu.h"
#include "common/ui/plot_view.h"
#include "common/ui/window_placement.h"

#include <QCloseEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <string>

namespace myogrid {
namespace {

constexpr const char* kExplanation =
    "25 x 25 independent oscillators\n"
    "with increasing periods from\n"
    "top to bottom and symmetrical\n"
    "phase shifts from center to\n"
    "border go on and off.\n"
    "This creates to the human eye\n"
    "the illusion of travelling waves.\n"
    "After 35 seconds the patterns\n"
    "become more bizarre.\n"
    "\n"
    "Pressing the \"show period\"\n"
    "button indicates the individual\n"
    "periods from 0 to 9 and then \n"
    "back to 0.";

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& caption, int x, int y) {
    auto* button = new QPushButton(caption, parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setGeometry(x, y, 103, 27);
    return button;
}

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->move(x, y);
    label->adjustSize();
    return label;
}

}  // namespace

IllusionWindow::IllusionWindow(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("illusionWindow"));
    setWindowTitle(QStringLiteral("illusion of travelling waves"));
    QFont systemFont(QStringLiteral("Liberation Sans"));
    systemFont.setPixelSize(14);
    systemFont.setBold(true);
    setFont(systemFont);
    resize(556, 436);

    gridView = new common::ui::PlotView(300, 300, this);
    gridView->setObjectName(QStringLiteral("gridView"));
    gridView->move(14, 77);
    common::ui::AttachPlotMenu(gridView,
                               {QStringLiteral("illusion"),
                                [this]() -> const common::PlotSurface& { return renderer_.Grid(); },
                                [this] { return model_.Table(); },
                                {}});

    headline = MakeLabel(this, "headline", QStringLiteral("pseudowaves!"), 90, 19);
    QFont titleFont(QStringLiteral("Liberation Serif"));
    titleFont.setPixelSize(29);
    headline->setFont(titleFont);
    headline->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    headline->adjustSize();
    timerCaption = MakeLabel(this, "timerCaption", QStringLiteral("timer: "), 346, 83);
    elapsedSeconds = MakeLabel(this, "elapsedSeconds", QStringLiteral("0"), 397, 83);
    elapsedSeconds->resize(70, elapsedSeconds->height());
    secondsCaption = MakeLabel(this, "secondsCaption", QStringLiteral("seconds"), 475, 83);

    periodButton = MakeButton(this, "periodButton", QStringLiteral("show period"), 333, 6);
    pauseButton = MakeButton(this, "pauseButton", QStringLiteral("pause"), 333, 38);
    stepButton = MakeButton(this, "stepButton", QStringLiteral("step"), 435, 38);
    stepButton->setEnabled(false);
    exitButton = MakeButton(this, "exitButton", QStringLiteral("exit"), 435, 6);

    explanation = new QPlainTextEdit(this);
    explanation->setObjectName(QStringLiteral("explanation"));
    explanation->setGeometry(333, 122, 205, 276);
    explanation->setReadOnly(true);
    explanation->setFrameShape(QFrame::NoFrame);
    explanation->setLineWrapMode(QPlainTextEdit::NoWrap);
    explanation->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    explanation->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont memoFont(QStringLiteral("Liberation Sans"));
    memoFont.setPixelSize(13);
    explanation->setFont(memoFont);
    explanation->setPlainText(QString::fromLatin1(kExplanation));
    QPalette memoPalette = explanation->palette();
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    explanation->setPalette(memoPalette);

    stepTimer = new QTimer(this);
    stepTimer->setObjectName(QStringLiteral("stepTimer"));
    stepTimer->setInterval(kIntervalMs);

    gridView->SetImage(renderer_.Grid().Image());

    connect(stepTimer, &QTimer::timeout, this,
            [this] { common::ui::Guarded(this, [&] { StepTimerTick(); }); });
    connect(pauseButton, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { PauseClicked(); }); });
    connect(stepButton, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { StepClicked(); }); });
    connect(periodButton, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { PeriodClicked(); }); });
    connect(exitButton, &QPushButton::clicked, this, [this] { close(); });
    MakeIllusionWindowAccessible(*this);
}

void IllusionWindow::Open() {
    if (!isVisible()) common::ui::CentreOnScreen(*this);
    stepTimer->start();
    show();
    common::ui::BringToFront(*this);
}

void IllusionWindow::IllusionStep() {
    renderer_.DrawStep(model_.Step(), showPeriod_);
    gridView->SetImage(renderer_.Grid().Image());
}

void IllusionWindow::StepTimerTick() {
    // The label shows the time before the step.
    elapsedSeconds->setText(QString::fromStdString(common::IntToText(model_.Clock() / 1000)));
    IllusionStep();
}

void IllusionWindow::PauseClicked() {
    if (paused_) {
        pauseButton->setText(QStringLiteral("pause"));
        stepButton->setEnabled(false);
        stepTimer->start();
        paused_ = false;
    } else {
        pauseButton->setText(QStringLiteral("run"));
        stepButton->setEnabled(true);
        stepTimer->stop();
        paused_ = true;
    }
}

void IllusionWindow::StepClicked() { IllusionStep(); }

void IllusionWindow::PeriodClicked() {
    // Digits appear or stop appearing as cells switch; nothing is redrawn now.
    if (showPeriod_) {
        showPeriod_ = false;
        periodButton->setText(QStringLiteral("show phase"));
    } else {
        showPeriod_ = true;
        periodButton->setText(QStringLiteral("show blocks"));
    }
}

void IllusionWindow::closeEvent(QCloseEvent* event) {
    stepTimer->stop();
    event->accept();
    emit Closed();
}

}  // namespace myogrid
