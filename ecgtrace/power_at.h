#pragma once
// The signal-analysis window: histogram, autocorrelation, power spectrum and
// cross phase spectrum of E(t) or of the actual group, each beside figures of
// the book loaded on request.
#include <QWidget>
#include <vector>

#include "common/plot_surface.h"
#include "ecgtrace/model/analysis_plots.h"
#include "ecgtrace/model/signal_model.h"

class QLabel;
class QPushButton;
class QTabWidget;
class QTextEdit;

namespace common::ui {
class PlotView;
}

namespace ecgtrace {

inline constexpr const char* kAnalysisIntroductionFile = "V13b.rtf";
// From the top of the main window's frame to below its tab bar (title bar,
// margin and tabs).
inline constexpr int kMainTabBarClearance = 64;

// Where the analysis window (frame of `ownFrame`) goes when opened: beside the
// main window when the screen has room; else at the screen's bottom, over the
// main window's lower part but not its tab bar; else at `fallback`.
QPoint AnalysisWindowPlace(const QRect& mainFrame, const QSize& ownFrame, const QRect& screen,
                           const QPoint& fallback);

class TFormPower : public QWidget {
    Q_OBJECT
public:
    // Reads and writes `model` in place (repetition flags and spectra).
    explicit TFormPower(SignalModel& model, QWidget* parent = nullptr);

    // The main window's "signal analysis" button of the A(t) tab, disabled
    // while the window is being filled from it.
    void SetPowerAtButton(QPushButton* button) { buttonPowerAt_ = button; }

    // The two ways of opening the window (main window's buttons).
    void OpenFromAt();
    void OpenFromEt();

    void FillAnalysis(std::int32_t g1, std::int32_t g2);
    void UpdateAnalysisCaption();
    std::int32_t AnalysedIndex() const { return analysedIndex_; }

    const common::PlotSurface& SurfaceHist() const { return imageHist_; }
    const common::PlotSurface& SurfaceCorrel() const { return imageCorrel_; }
    const common::PlotSurface& SurfacePower() const { return imagePower_; }
    const common::PlotSurface& SurfacePhase() const { return imagePhase_; }

private:
    struct FigureButton {
        QPushButton* button;
        const char* file;
        common::ui::PlotView* image;
        enum class Shown { FromAt, FromEt, Always } shown;
    };

    QWidget* AddPage(const char* name, const char* caption);
    QPushButton* AddFigureButton(QWidget* page, const char* name, const char* caption,
                                 const char* file, common::ui::PlotView* image,
                                 FigureButton::Shown shown, const QRect& geometry);
    void PageChanged(int index);
    void SetPage(int index);
    void SetCrossPhaseVisible(bool visible);
    void ShowFigureButtons(bool fromEt);
    void LoadFigure(const FigureButton& figure);
    void RunToggleRepetition();
    void FollowMainWindow();
    void PlaceBesideMainWindow();
    void ApplyRepetitionState(const RepetitionButtonState& state);
    void LoadIntroduction();

    SignalModel& model_;
    common::PlotSurface imageHist_, imageCorrel_, imagePower_, imagePhase_;
    std::int32_t analysedIndex_ = 0;
    QPushButton* buttonPowerAt_ = nullptr;
    bool settingPage_ = false;       // page changes made by the window itself
    bool introductionReported_ = false;  // one report of a missing text per opening
    std::vector<FigureButton> figures_;

    QTabWidget* PageControl = nullptr;
    QWidget *TabSheet1 = nullptr, *TabHistogram = nullptr, *TabCorrelation = nullptr,
            *TabPower = nullptr, *TabCrossPhase = nullptr;
    QTextEdit* RichEdit2 = nullptr;
    common::ui::PlotView *ImageHist = nullptr, *ImageRealHist = nullptr, *ImageCorrel = nullptr,
                         *ImageRealCorr = nullptr, *ImagePower = nullptr, *ImageRealSpec = nullptr,
                         *ImagePhase = nullptr, *ImageRealPhase = nullptr;
    QPushButton* ButtonRep = nullptr;
};

}  // namespace ecgtrace
