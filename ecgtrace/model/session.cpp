#include "ecgtrace/model/session.h"

#include "common/errors.h"
#include "common/file_io.h"
#include "ecgtrace/model/spectra.h"

namespace ecgtrace {

namespace {

// Everything the T, A(t) and map tabs show of the actual group.
Redraw ActualGroupShown() {
    Redraw r;
    r.periodTab = true;
    r.signalValues = true;
    r.signalPlot = true;
    r.sharedCounts = true;
    r.mapTab = true;
    r.map = true;
    r.series = true;
    return r;
}

}  // namespace

Redraw& Redraw::operator|=(const Redraw& other) {
    groupChoice |= other.groupChoice;
    periodTab |= other.periodTab;
    signalValues |= other.signalValues;
    signalPlot |= other.signalPlot;
    sharedCounts |= other.sharedCounts;
    mapTab |= other.mapTab;
    map |= other.map;
    cobweb |= other.cobweb;
    series |= other.series;
    sumSignal |= other.sumSignal;
    return *this;
}

// --- start-up ---------------------------------------------------------------------

StartupReport SignalSession::Start(const std::string& path) {
    return model_.RunStartupComputations(path);
}

void SignalSession::StartStrictly(const std::optional<std::string>& path) {
    if (path) {
        if (!common::FileExists(*path))
            throw common::AppError(common::CannotOpenFileMessage(*path));
        model_.LoadParameterFile(*path);
    }
    model_.CompleteStartup(nullptr);
}

// --- edits of the actual group -------------------------------------------------

Redraw SignalSession::EditActualGroup(const std::function<Redraw()>& edit) {
    const std::int32_t g = model_.ActualGroup();
    beforeLastEdit_ = model_.SaveGroupState(g);
    Redraw shown;
    model_.EditGroup(g, [&] { shown = edit(); });
    return shown;
}

Redraw SignalSession::SetGroupParameter(Parameter which, double value) {
    const std::int32_t g = model_.ActualGroup();
    // A width set to the value it has is no change at all.
    if ((which == Parameter::s1 || which == Parameter::s2) &&
        ParameterValue(model_.Parameters(g), which) == value)
        return {};
    model_.SetParametersChanged(true);
    const bool faulty = !model_.GroupFault(g).empty();
    Redraw shown = EditActualGroup([&] {
        Redraw r;
        switch (which) {
            case Parameter::f:
            case Parameter::F:
                model_.SetParameter(g, which, which == Parameter::F ? LimitF(value) : value);
                model_.ComputeT(g);
                r.periodTab = r.signalValues = true;
                break;
            case Parameter::NE:
            case Parameter::N:
                model_.SetParameter(g, which, value);
                model_.ComputeT(g);
                model_.ComputePMap(g);
                model_.ComputePSeries(g);
                r.periodTab = r.signalValues = r.sharedCounts = r.map = r.series = true;
                break;
            case Parameter::Te:
            case Parameter::Ta:
            case Parameter::Tr:
                model_.SetParameter(g, which, value);
                model_.ComputeT(g);
                r.periodTab = r.signalValues = r.signalPlot = true;
                break;
            case Parameter::s1:
            case Parameter::s2:
            case Parameter::offset: {
                const double stored = which == Parameter::offset
                                          ? LimitOffset(static_cast<std::int32_t>(value))
                                          : value;
                model_.SetParameter(g, which, stored);
                model_.ComputeA(g);
                r.signalValues = r.signalPlot = true;
                break;
            }
            case Parameter::P0:
                model_.SetParameter(g, which, LimitP0(value));
                model_.ComputePSeries(g);
                r.series = true;
                break;
            case Parameter::M:
            case Parameter::Nd:
                model_.SetParameter(g, which, value);
                model_.ComputePMap(g);
                model_.ComputePSeries(g);
                r.map = r.series = true;
                break;
        }
        return r;
    });
    if (faulty) shown |= MendActualGroup();
    return shown;
}

Redraw SignalSession::MendActualGroup() {
    // A group whose T, map or series once failed is left incomplete by an
    // edit that recomputes only part of it: the edit may be what it needed.
    Redraw r = ActualGroupShown();
    try {
        model_.RecomputeGroup(model_.ActualGroup());
    } catch (const common::AppError&) {
        return r;  // still faulty; what did compute is shown
    }
    r.sumSignal = true;
    return r;
}

Redraw SignalSession::StepP0(int position) {
    model_.SetParametersChanged(true);
    return EditActualGroup([&] {
        const std::int32_t g = model_.ActualGroup();
        model_.SetParameter(g, Parameter::P0, position / 100.0);
        model_.ComputePSeries(g);
        Redraw r;
        r.series = true;
        return r;
    });
}

Redraw SignalSession::TakeBackLastEdit() {
    if (beforeLastEdit_) model_.RestoreGroupState(*beforeLastEdit_);
    beforeLastEdit_.reset();
    return ActualGroupShown();
}

void SignalSession::BeginTyping() { beforeTyping_ = model_.SaveGroupState(model_.ActualGroup()); }

Redraw SignalSession::TakeBackTyping() {
    if (beforeTyping_) model_.RestoreGroupState(*beforeTyping_);
    beforeTyping_.reset();
    return ActualGroupShown();
}

void SignalSession::EndTyping() { beforeTyping_.reset(); }

// --- choices of the E(t) tab ----------------------------------------------------

Redraw SignalSession::ChangeGroupCount(std::int32_t groupCount) {
    Redraw r;
    if (model_.ChangeGroupCount(groupCount)) {
        r = ActualGroupShown();
        r.groupChoice = true;
    }
    r.sumSignal = true;
    return r;
}

Redraw SignalSession::ChangeActualGroup(std::int32_t group) {
    model_.SelectActualGroup(group);
    model_.RecomputeActualGroup();
    Redraw r = ActualGroupShown();
    r.groupChoice = true;
    r.sumSignal = true;
    return r;
}

Redraw SignalSession::ChangeCrossGroup(std::int32_t group) {
    model_.SetParametersChanged(true);
    model_.SetCrossGroup(group);
    return {};
}

Redraw SignalSession::RecomputeSumSignal() {
    model_.ComputeE();
    Redraw r;
    r.sumSignal = true;
    return r;
}

Redraw SignalSession::SetEWindow(std::int32_t start, std::int32_t end) {
    model_.SetEWindow(start, end);
    model_.ComputeE();
    Redraw r;
    r.sumSignal = true;
    return r;
}

Redraw SignalSession::PlotCobweb() {
    // The map is drawn anew, and the series with it.
    model_.ComputePSeries(model_.ActualGroup());
    Redraw r;
    r.map = r.cobweb = r.series = true;
    return r;
}

// --- the analysis window ----------------------------------------------------------

AnalysisOpening SignalSession::OpenAnalysis(const AnalysisSubject& subject) {
    if (subject.sumSignal)
        ComputeSumSignalSpectra(model_);
    else
        ComputeGroupSpectra(model_, subject.index, subject.index);
    AnalysisOpening opening;
    opening.histogramIndex = subject.index;
    opening.subject = subject;
    opening.power = ToggleRepetition(subject);
    return opening;
}

PowerSpectrumRows SignalSession::ToggleRepetition(const AnalysisSubject& subject) {
    if (subject.sumSignal) {
        // The spectrum of E(t) is always the sum of the groups' harmonic
        // lines: nothing to switch, and its state says so wherever shown.
        if (model_.Spectrum(0).size() != kSpectrumBins) ComputeSumSignalSpectra(model_);
        model_.SetRepetition(0, true);
        return {0, 0, false};
    }
    model_.SetRepetition(subject.index, !model_.WithRepetition(subject.index));
    ComputeGroupSpectra(model_, subject.index, subject.crossGroup);
    return {subject.index, subject.crossGroup, true};
}

PowerSpectrumRows SignalSession::ComputeCrossPhase(const AnalysisSubject& subject) {
    model_.SetRepetition(subject.index, true);
    ComputeGroupSpectra(model_, subject.index, subject.crossGroup);
    return {subject.index, subject.crossGroup, true};
}

// --- a recording beside the simulation ---------------------------------------------

void SignalSession::ChooseRecording(RecordingAnalysis recording) {
    recording_ = std::move(recording);
    for (const auto& listener : recordingListeners_) listener();
}

void SignalSession::OnRecordingChosen(std::function<void()> listener) {
    recordingListeners_.push_back(std::move(listener));
}

}  // namespace ecgtrace
