#include "myogrid/illusion.h"

#include "common/number_format.h"
#include "common/numeric.h"
#include "common/ui/error_box.h"
#include "common/ui/plot_view.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
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

// Adds with 32-bit wrapping; a sum that ran past the range is brought back
// by adding the largest value, so time keeps going forward.
std::int32_t AddTime(std::int32_t a, std::int32_t b) {
    std::int32_t sum = common::WrapAdd32(a, b);
    if (sum < 0) sum = common::WrapAdd32(sum, 2147483647);
    return sum;
}

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

TFormIllusion::TFormIllusion(QWidget* parent) : QWidget(parent), grid_(300, 300) {
    setObjectName(QStringLiteral("FormIllusion"));
    setWindowTitle(QStringLiteral("illusion of travelling waves"));
    QFont systemFont(QStringLiteral("Liberation Sans"));
    systemFont.setPixelSize(14);
    systemFont.setBold(true);
    setFont(systemFont);
    resize(556, 436);

    Image1 = new common::ui::PlotView(300, 300, this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->move(14, 77);

    Label1 = MakeLabel(this, "Label1", QStringLiteral("pseudowaves!"), 90, 19);
    QFont titleFont(QStringLiteral("Liberation Serif"));
    titleFont.setPixelSize(29);
    Label1->setFont(titleFont);
    Label1->setStyleSheet(QStringLiteral("color: rgb(255, 0, 0);"));
    Label1->adjustSize();
    Label2 = MakeLabel(this, "Label2", QStringLiteral("timer: "), 346, 83);
    LabelTime = MakeLabel(this, "LabelTime", QStringLiteral("0"), 397, 83);
    LabelTime->resize(70, LabelTime->height());
    Label3 = MakeLabel(this, "Label3", QStringLiteral("seconds"), 475, 83);

    ButtonPhase = MakeButton(this, "ButtonPhase", QStringLiteral("show period"), 333, 6);
    ButtonPause = MakeButton(this, "ButtonPause", QStringLiteral("pause"), 333, 38);
    ButtonStep = MakeButton(this, "ButtonStep", QStringLiteral("step"), 435, 38);
    ButtonStep->setEnabled(false);
    ButtonExit = MakeButton(this, "ButtonExit", QStringLiteral("exit"), 435, 6);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(333, 122, 205, 276);
    Memo1->setReadOnly(true);
    Memo1->setFrameShape(QFrame::NoFrame);
    Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
    Memo1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    QFont memoFont(QStringLiteral("Liberation Sans"));
    memoFont.setPixelSize(13);
    Memo1->setFont(memoFont);
    Memo1->setPlainText(QString::fromLatin1(kExplanation));
    QPalette memoPalette = Memo1->palette();
    memoPalette.setColor(QPalette::Base, palette().color(QPalette::Window));
    Memo1->setPalette(memoPalette);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(kIntervalMs);

    for (int i = 1; i <= kSize; ++i) {
        for (int j = 1; j <= kSize; ++j) {
            cellPeriod_[Cell(i, j)] = 500 + 5 * i;
            nextSwitch_[Cell(i, j)] = std::abs(500 - 40 * j);
        }
    }
    // The cells are drawn in the colours the image really holds.
    dark_ = Calibrated(kDarkWanted);
    light_ = Calibrated(kLightWanted);
    grid_.SetPenColor(common::kWhite);
    grid_.SetBrushColor(common::kWhite);
    grid_.Rectangle(180, 180, 220, 220);
    Image1->SetImage(grid_.Image());

    connect(Timer1, &QTimer::timeout, this, [this] { common::ui::Guarded(this, [&] { Timer1Timer(); }); });
    connect(ButtonPause, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ButtonPauseClick(); }); });
    connect(ButtonStep, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ButtonStepClick(); }); });
    connect(ButtonPhase, &QPushButton::clicked, this,
            [this] { common::ui::Guarded(this, [&] { ButtonPhaseClick(); }); });
    connect(ButtonExit, &QPushButton::clicked, this, [this] { close(); });
}

common::Rgb TFormIllusion::Calibrated(common::Rgb wanted) {
    grid_.SetPenColor(wanted);
    grid_.SetBrushColor(wanted);
    grid_.Rectangle(180, 180, 220, 220);
    return grid_.Pixel(200, 200);
}

void TFormIllusion::Open() {
    if (!isVisible()) {
        if (const QScreen* screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    Timer1->start();
    show();
    if (QGuiApplication::platformName() != QLatin1String("offscreen")) {
        raise();
        activateWindow();
    }
}

void TFormIllusion::IllusionStep() {
    clock_ = AddTime(clock_, kIntervalMs);
    for (int i = 1; i <= kSize; ++i) {
        for (int j = 1; j <= kSize; ++j) {
            const std::size_t c = Cell(i, j);
            if (!(nextSwitch_[c] < clock_)) continue;
            nextSwitch_[c] = AddTime(nextSwitch_[c], cellPeriod_[c]);
            const common::Rgb colour = lit_[c] == 1 ? light_ : dark_;
            lit_[c] = lit_[c] == 1 ? 0 : 1;
            grid_.SetPenColor(colour);
            grid_.SetBrushColor(colour);
            const int x = (j - 1) * kCellPixels;
            const int y = (i - 1) * kCellPixels;
            grid_.Rectangle(x, y, x + kCellPixels, y + kCellPixels);
            switchCount_[c] = static_cast<std::uint8_t>((switchCount_[c] + 1) % 10);
            if (showPeriod_) grid_.TextOut(x, y, common::IntToText(switchCount_[c]));
        }
    }
    Image1->SetImage(grid_.Image());
}

void TFormIllusion::Timer1Timer() {
    // The label shows the time before the step.
    LabelTime->setText(QString::fromStdString(common::IntToText(clock_ / 1000)));
    IllusionStep();
}

void TFormIllusion::ButtonPauseClick() {
    if (paused_) {
        ButtonPause->setText(QStringLiteral("pause"));
        ButtonStep->setEnabled(false);
        Timer1->start();
        paused_ = false;
    } else {
        ButtonPause->setText(QStringLiteral("run"));
        ButtonStep->setEnabled(true);
        Timer1->stop();
        paused_ = true;
    }
}

void TFormIllusion::ButtonStepClick() { IllusionStep(); }

void TFormIllusion::ButtonPhaseClick() {
    // Digits appear or stop appearing as cells switch; nothing is redrawn now.
    if (showPeriod_) {
        showPeriod_ = false;
        ButtonPhase->setText(QStringLiteral("show phase"));
    } else {
        showPeriod_ = true;
        ButtonPhase->setText(QStringLiteral("show blocks"));
    }
}

void TFormIllusion::closeEvent(QCloseEvent* event) {
    Timer1->stop();
    event->accept();
    emit Closed();
}

}  // namespace myogrid
