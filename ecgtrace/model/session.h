#pragma once
// The one way in to the signal model for the windows and the batch tool: one
// method per user action. Each validates, computes in the order the program
// has always computed, keeps the changed flag, takes a refused edit back as
// a whole and says what must be shown again.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include <vector>

#include "ecgtrace/model/recording_plots.h"
#include "ecgtrace/model/signal_model.h"

namespace ecgtrace {

// What changed and must be shown again after an action.
struct Redraw {
    bool groupChoice = false;   // actual and cross group and the map tab's heading
    bool periodTab = false;     // the period and every field of the T tab
    bool signalValues = false;  // the A(t) heading, m1, m2, widths and offset
    bool signalPlot = false;    // the A(t) plot
    bool sharedCounts = false;  // NE and N, each shown on two tabs
    bool mapTab = false;        // every field of the map tab
    bool map = false;           // the map plot
    bool cobweb = false;        // the iteration drawn over the map
    bool series = false;        // the P series plot and p half / p whole
    bool sumSignal = false;     // the E(t) plot and its window
    Redraw& operator|=(const Redraw& other);
};

// What is analysed: the sum signal E(t) (index 0), or group `index` against
// group `crossGroup`. The windows decide it; the session only follows it.
struct AnalysisSubject {
    std::int32_t index = 0;
    std::int32_t crossGroup = 1;
    bool sumSignal = false;

    static AnalysisSubject SumSignal(std::int32_t crossGroup) { return {0, crossGroup, true}; }
    static AnalysisSubject Group(std::int32_t g, std::int32_t crossGroup) {
        return {g, crossGroup, false};
    }
    // A group against another one: the cross phase can be shown.
    bool CrossPhaseShown() const { return !sumSignal && index != crossGroup; }
    bool operator==(const AnalysisSubject&) const = default;
};

// The two rows whose power spectrum is shown, and whether the repetition
// effect can be switched for them again (never for E(t)).
struct PowerSpectrumRows {
    std::int32_t g1 = 0;
    std::int32_t g2 = 0;
    bool switchable = false;
};

// What an opening of the analysis window computed.
struct AnalysisOpening {
    std::int32_t histogramIndex = 0;  // the histogram shown first
    AnalysisSubject subject;
    PowerSpectrumRows power;
};

class SignalSession {
public:
    SignalSession() = default;

    const SignalModel& Model() const { return model_; }

    // --- start-up ----------------------------------------------------------------
    // The windows' start: `path` when it exists and reads, else the defaults;
    // what could not be read or computed is reported, not thrown.
    StartupReport Start(const std::string& path = kParameterFileName);
    // The batch tool's start: the defaults without a path, else the file,
    // which must exist and read; the first group that cannot be computed
    // is thrown.
    void StartStrictly(const std::optional<std::string>& path);

    // --- the parameter file ---------------------------------------------------------
    void SaveParameterFile(const std::string& path) const { model_.SaveParameterFile(path); }

    // --- edits of the actual group -------------------------------------------------
    // A value typed or stepped into a field of the actual group. F, P0 and
    // the offset are held within their limits; a width set to its own value
    // is no change. A value that cannot be computed leaves the group as it
    // was and throws. When the group could not be computed before, it is
    // computed whole after the edit: once it can be, everything of it is
    // shown again and `sumSignal` asks for E(t) (RecomputeSumSignal).
    Redraw SetGroupParameter(Parameter which, double value);
    // The arrows beside P0: P0 becomes position / 100.
    Redraw StepP0(int position);
    // The window could not show what the last group edit computed: the group
    // goes back to what it was before that edit.
    Redraw TakeBackLastEdit();

    // Typing: values applied on the way are taken back together when the
    // final text is refused.
    void BeginTyping();
    Redraw TakeBackTyping();
    void EndTyping();

    // --- choices of the E(t) tab ----------------------------------------------------
    // A new G. The actual group follows a lower G; new top groups are set up
    // from the groups below them.
    Redraw ChangeGroupCount(std::int32_t groupCount);
    // The group the T, A(t) and map tabs show and edit; the cross group follows.
    Redraw ChangeActualGroup(std::int32_t group);
    Redraw ChangeCrossGroup(std::int32_t group);
    // E(t) from the groups as they are now, without drawing anything else.
    Redraw RecomputeSumSignal();
    // "apply": the window of E(t) drawn.
    Redraw SetEWindow(std::int32_t start, std::int32_t end);
    // "plot Pn -> Pn+1".
    Redraw PlotCobweb();

    // --- the analysis ------------------------------------------------------------------
    // "signal analysis" of a group: its spectrum, then the repetition
    // switched as at every visit of the power spectrum. Of E(t): every
    // group's spectrum with the repetition effect and their sum.
    AnalysisOpening OpenAnalysis(const AnalysisSubject& subject);
    // Flips the repetition of the analysed group and computes the rows of
    // the power spectrum. The flip stays when the computation fails. E(t)
    // is always shown with the repetition effect: nothing flips.
    PowerSpectrumRows ToggleRepetition(const AnalysisSubject& subject);
    // The cross phase page: the analysed group and the cross group with the
    // repetition effect.
    PowerSpectrumRows ComputeCrossPhase(const AnalysisSubject& subject);

    // --- a recording beside the simulation ----------------------------------------------
    // The recording chosen for comparison; it lasts until another is chosen.
    // Every window that shows it is told of each new choice.
    void ChooseRecording(RecordingAnalysis recording);
    const RecordingAnalysis* Recording() const { return recording_ ? &*recording_ : nullptr; }
    void OnRecordingChosen(std::function<void()> listener);

private:
    // Runs an edit of the actual group; a failure gives the group back its
    // state from before the edit.
    Redraw EditActualGroup(const std::function<Redraw()>& edit);
    // A faulty actual group computed whole again, quietly: what to show.
    Redraw MendActualGroup();

    SignalModel model_;
    std::optional<GroupState> beforeLastEdit_;
    std::optional<GroupState> beforeTyping_;
    std::optional<RecordingAnalysis> recording_;
    std::vector<std::function<void()>> recordingListeners_;
};

}  // namespace ecgtrace
