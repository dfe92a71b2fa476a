#pragma once
// The model window's controls and where they stand: the model title, the
// two plot windows with their save buttons, the row between them, and the
// notebook of command, parameter and help pages. Building them connects
// nothing; the model window gives them their behaviour.
#include <array>
#include <cstddef>

#include "myogrid/engine/parameter_source.h"
#include "myogrid/model_help_texts.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QStackedWidget;
class QToolButton;
class QWidget;

namespace common::ui {
class IntSpinEdit;
class PlotView;
}  // namespace common::ui

namespace myogrid {

class RealSpinEdit;

inline constexpr const char* kModelWindowCaption = "ventricular fibrillation models";
inline constexpr const char* kInitializingText = "initializing! please wait";
inline constexpr int kModelWindowWidth = 644;
inline constexpr int kModelWindowHeight = 489;

// The command boxes: a click ticks or unticks the box and runs the command.
enum class Command {
    Run,                    // "run"
    Formula,                // "formula"
    Delay,                  // "delay" (block) / "Pt vs Pt-1" (oscillators)
    TimeWindow,             // "Time Window"
    Parameters,             // "parameters"
    SaveParameters,         // "save parameters"
    StartMethod,            // "start method" (block) / "cell param.s" (oscillators)
    Stop,                   // "stop"
    Redraw,                 // "redraw" on the delay page
    DrawFunction,           // "draw function" on the parameters page
    DelayParameters,        // "delay parameters" on the parameters page
    OscillatorStartMethod,  // "start method" on the oscillator parameters page
};
inline constexpr std::size_t kCommandCount = 12;

// The on/off choices the engine reads.
enum class Switch {
    FirstDerivative,  // "1st derivative" (block) / "membr. pot." (oscillators)
    AllCells,         // "all cells" (block) / "all oscill.s" (coupled oscillators)
    RandomStart,      // "random start"
    FiftyHzStart,     // "50 Hz start"
    ExtraStart,       // "extra"
    Background,       // "background"
};
inline constexpr std::size_t kSwitchCount = 6;

struct ModelWindowControls {
    QLabel* title = nullptr;  // the model's title above the time plot
    common::ui::PlotView* timePlot = nullptr;
    QToolButton* saveTimePlot = nullptr;
    QLabel* pageCaption = nullptr;  // caption of the page shown
    QLabel* modelTimeCaption = nullptr;
    QLineEdit* modelTime = nullptr;
    QToolButton* help = nullptr;        // to the help page of the page shown
    QToolButton* helpReturn = nullptr;  // from a help page back
    QLabel* rightCaption = nullptr;     // what the right plot shows
    QToolButton* saveRightPlot = nullptr;
    QStackedWidget* notebook = nullptr;
    common::ui::PlotView* rightPlot = nullptr;
    QLabel* initializingNotice = nullptr;  // shown while a model is built
    // Run control, in the strip under the notebook.
    common::ui::IntSpinEdit* pause = nullptr;  // pause between steps, ms
    QToolButton* step = nullptr;               // one step while not running
    QLineEdit* seed = nullptr;                 // seed of the build and its runs
    QCheckBox* record = nullptr;               // "record": the run's steps into a file

    std::array<QCheckBox*, kCommandCount> commands{};
    std::array<QCheckBox*, kSwitchCount> switches{};
    std::array<QCheckBox*, kPageCount> returnBoxes{};  // the "return" box of a page
    // The field of each parameter: an integer or a real one, with its label.
    std::array<common::ui::IntSpinEdit*, kParamCount> integerFields{};
    std::array<RealSpinEdit*, kParamCount> realFields{};
    std::array<QLabel*, kParamCount> fieldLabels{};
    std::array<QPlainTextEdit*, kPageCount> helpTexts{};  // on the help pages

    QCheckBox* CommandBox(Command c) const { return commands[static_cast<std::size_t>(c)]; }
    QCheckBox* SwitchBox(Switch s) const { return switches[static_cast<std::size_t>(s)]; }
    QCheckBox* ReturnBox(int page) const { return returnBoxes.at(static_cast<std::size_t>(page)); }
    common::ui::IntSpinEdit* IntegerField(Param p) const {
        return integerFields[static_cast<std::size_t>(p)];
    }
    RealSpinEdit* RealField(Param p) const { return realFields[static_cast<std::size_t>(p)]; }
    // The field of `p`, whichever its kind.
    QWidget* Field(Param p) const;
    QLabel* FieldLabel(Param p) const { return fieldLabels[static_cast<std::size_t>(p)]; }
};

// Builds every control of the model window into `window`, which gets its
// caption, size and font.
ModelWindowControls BuildModelWindowLayout(QWidget& window);

}  // namespace myogrid
