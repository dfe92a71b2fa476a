#pragma once
// The signal-analysis window: histogram, autocorrelation, power spectrum and
// cross phase spectrum of E(t) or of the actual group, each beside figures of
// the book loaded on request.
#include <QImage>
#include <QWidget>
#include <functional>
#include <optional>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/jpeg_figure.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/model/session.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace common::ui {
class PlotView;
}

namespace ecgtrace {

inline constexpr const char* kAnalysisIntroductionFile = "V13b.rtf";
// The repetition button names what a click does to the repetition shown:
// "remove repetition effect" or "show repetition effect".
const char* RepetitionSwitchCaption(bool withRepetition);

// The window's caption for what it analyses: "Signal analysis of E(t)",
// "Signal analysis of At(2)", "Signal analysis of At(2) versus At(3)".
QString AnalysisCaption(const AnalysisSubject& subject);
// From the top of the main window's frame to below its tab bar (title bar,
// margin and tabs).
inline constexpr int kMainTabBarClearance = 64;

// Where the analysis window (frame of `ownFrame`) goes when first opened,
// wholly on `screen`: beside the main window when there is room; else in a
// corner of the screen clear of the main window's title and tab bars and of
// its controls, which lie right of `mainControlsLeft` (the pictures of the
// equations on their left may be covered); else in the corner covering the
// least of them. A screen smaller than the window gives `fallback`.
QPoint AnalysisWindowPlace(const QRect& mainFrame, int mainControlsLeft, const QSize& ownFrame,
                           const QRect& screen, const QPoint& fallback);

class AnalysisWindow : public QWidget {
    Q_OBJECT
public:
    // What the main window has the analysis follow when a page or the
    // repetition switch is chosen.
    using SubjectSource = std::function<AnalysisSubject()>;
    // Works on the main window's session (repetition flags and spectra).
    AnalysisWindow(SignalSession& session, SubjectSource mainWindowSubject,
                   QWidget* parent = nullptr);

    // The main window's "signal analysis" button of the A(t) tab, disabled
    // while the window is being filled from it.
    void SetGroupAnalysisButton(QPushButton* button) { groupAnalysisButton_ = button; }

    // The two ways of opening the window (main window's buttons).
    void OpenFromGroup();
    void OpenFromSumSignal();

    std::int32_t AnalysedIndex() const { return subject_ ? subject_->index : 0; }

    const common::PlotSurface& HistogramSurface() const { return histogramSurface_; }
    const common::PlotSurface& CorrelationSurface() const { return correlationSurface_; }
    const common::PlotSurface& PowerSurface() const { return powerSurface_; }
    const common::PlotSurface& PhaseSurface() const { return phaseSurface_; }
    // Book figures are decoded away from the window's thread.
    FigureDecoder& Figures() { return figureDecoder_; }

    // "recording…": asks for a recording file (unless `path` names one),
    // then for its channel and start; the choice lasts until another is made.
    void ChooseRecording(const QString& path = {});
    // The recording's plots are shown in the book figures' place.
    bool ShowsRecording() const { return recordingShown_ && session_.Recording(); }
    const RecordingAnalysis* Recording() const { return session_.Recording(); }
    const common::PlotSurface& RecordingSurface(RecordingPlot plot) const;

private:
    struct FigureButton {
        QPushButton* button;
        const char* file;
        common::ui::PlotView* image;
        enum class Shown { FromGroup, FromSumSignal, Always } shown;
    };

    QWidget* AddPage(const char* name, const char* caption);
    QPushButton* AddFigureButton(QWidget* page, const char* name, const char* caption,
                                 const char* file, common::ui::PlotView* image,
                                 FigureButton::Shown shown, const QRect& geometry);
    void PageChanged(int index);
    void SetPage(int index);
    void SetCrossPhaseVisible(bool visible);
    void ShowFigureButtons(bool fromSumSignal);
    void LoadFigure(const FigureButton& figure);
    void Open(const AnalysisOpening& opening, bool fromSumSignal);
    void ShowSubject(const AnalysisSubject& subject);
    void FollowMainWindow();
    void ToggleRepetition();
    void ShowRepetitionSwitch(bool enabled);
    void DrawHistogram(std::int32_t index);
    void DrawPowerSpectrum(const PowerSpectrumRows& rows);
    void PlaceBesideMainWindow();
    void LoadIntroduction();
    // "Copy picture", "Save picture…", "Copy data", "Save data…" on every plot.
    void AttachExportMenus();

    // The switch between "book figure" and "recording" on the three pages.
    void ShowRecording(bool shown);
    void ShowMeasures();
    QString RecordingCaption() const;

    SignalSession& session_;
    SubjectSource mainWindowSubject_;
    common::PlotSurface histogramSurface_, correlationSurface_, powerSurface_, phaseSurface_;
    // What the plots were last drawn from, for their data.
    std::int32_t histogramIndex_ = 0, correlationIndex_ = 0;
    PowerSpectrumRows powerRows_, phaseRows_;
    QPushButton* groupAnalysisButton_ = nullptr;
    bool settingPage_ = false;           // page changes made by the window itself
    bool placed_ = false;                // placed once; then where the user leaves it
    bool introductionReported_ = false;  // one report of a missing text per opening
    std::vector<FigureButton> figures_;

    QTabWidget* tabs_ = nullptr;
    QWidget *introductionPage_ = nullptr, *histogramPage_ = nullptr, *correlationPage_ = nullptr,
            *powerPage_ = nullptr, *crossPhasePage_ = nullptr;
    QTextEdit* introductionText_ = nullptr;
    common::ui::PlotView *histogramPlot_ = nullptr, *histogramFigure_ = nullptr,
                         *correlationPlot_ = nullptr, *correlationFigure_ = nullptr,
                         *powerPlot_ = nullptr, *powerFigure_ = nullptr, *phasePlot_ = nullptr,
                         *phaseFigure_ = nullptr;
    QPushButton* repetitionButton_ = nullptr;

    bool recordingShown_ = false;
    common::PlotSurface recordingHistogram_, recordingCorrelation_, recordingPower_;
    QImage bookPictures_[3];  // what the figure images showed before the recording
    std::vector<QCheckBox*> recordingSwitches_;
    QPushButton* recordingButton_ = nullptr;
    QLabel* measuresLabel_ = nullptr;
    std::optional<AnalysisSubject> subject_;
    // Last: it goes first, before the images its results are shown in.
    FigureDecoder figureDecoder_;
};

}  // namespace ecgtrace
