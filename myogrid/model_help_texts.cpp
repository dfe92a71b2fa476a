#include "myogrid/model_help_texts.h"

namespace myogrid {

const std::array<const char*, kPageCount> kPageCaptions = {
    "topolt start",
    "help start",
    "topolt start method",
    "help start method",
    "topolt formula",
    "topolt delay",
    "help topolt delay",
    "topolt time window",
    "help topolt time window",
    "topolt parameters",
    "help topolt parameters",
    "help Pt vs Pt-1",
    "VFsum time window",
    "help VFsum 0 & 2 time window",
    "VFsum parameters",
    "help VFsum parameters",
    "oscillator start",
    "help osc. start",
    "help VFsum 1 time",
    "help VF0",
    "help VF1",
    "help VF2",
};

QString PageCaption(int page) {
    if (page < 0 || page >= kPageCount) return {};
    return QString::fromLatin1(kPageCaptions[static_cast<std::size_t>(page)]);
}

int HelpPageOf(int page, ModelKind kind) {
    // Each page and its help page point at each other; the formula page has
    // no help.
    static constexpr std::array<int, kPageCount> kTarget = {
        1, 0, 3, 2, -1, 6, 5, 8, 7, 10, 9, 9, 13, 12, 15, 14, 17, 16, 12, 0, 0, 0};
    if (page < 0 || page >= kPageCount) return -1;
    int target = kTarget[static_cast<std::size_t>(page)];
    if (kind != ModelKind::Topological) {
        if (target == PageHelpParameters) target = PageHelpReturnMap;
        // The start help of each oscillator model, in the order of the kinds.
        if (target == PageHelpStart) target = PageHelpIndependentStart + static_cast<int>(kind);
    }
    if (kind == ModelKind::OneOscillator && target == PageHelpOscTimeWindow)
        target = PageHelpOneOscillatorTimeWindow;
    return target;
}

namespace {

QStringList OscTimeWindowHelp() {
    return {
        "The (upper) time window.",
        "",
        "stepunit: time step between calculations in ms.",
        "",
        "oscill 1 x ",
        "oscill 1 y  coordinates of oscillator displayed",
        "oscill 1 z  in upper half of time window.",
        "",
        "oscill 2 x ",
        "oscill 2 y  coordinates of oscillator displayed",
        "oscill 2 z   in lower half of time window.",
    };
}

QStringList OscillatorStartHelp() {
    return {
        "Parameters can be increased or decreased between",
        "their preset limits.",
        "",
        "action buttons:",
        "  [run] & [stop]: obvious action",
        "  [save param]: if you want to keep changes",
        "",
        "on/off choices (filled square = on):",
        "  [membr. pot] electrogram in time window",
        "",
        "",
        "The other buttons give access to sub-panels.",
    };
}

}  // namespace

QStringList HelpText(int page) {
    switch (page) {
        case PageHelpStart:
            return {
                "action buttons:",
                "  [run] & [stop]: obvious action",
                "  [save parameters]: if you want to keep changes",
                "",
                "on/off choices (crossed square = on):",
                "  [1st derivative]   of activity is shown in time window",
                "  [all cells] all active cells shown at right",
                "",
                "The other buttons give access to sub-panels",
            };
        case PageHelpStartMethod:
            return {
                "Random:",
                "  At start all cells are put in a random phase.",
                "Hz50:",
                "  The cells are stimulated with a 10 ms pulse",
                "  every 20 ms during [period] ms.",
                "Extra:",
                "  After normal stimulation all cells get an extra",
                "  stimulus after [extra interval] ms.",
                "Background:",
                "  If 'on', a constant background activity of",
                "  [env. weight] is used.",
            };
        case PageHelpDelay:
            return {
                "The variable delay is determined by calculating",
                "a new timestep ",
                "",
                "          -L (t - C)",
                "  t  = e              * F / N",
                "   n",
                "",
                "  N = total number of nexuses",
            };
        case PageHelpTimeWindow:
            return {
                "The (upper) time window.",
                "",
                "stepunit: time step between calculations in ms.",
                "",
                "cell 1 x :",
                "cell 1 y : coordinates of cell displayed in",
                "cell 1 z : upper half of time window.",
                "",
                "cell 2 x :",
                "cell 2 y : coordinates of cell displayed in",
                "cell 2 z : lower half of time window.",
            };
        case PageHelpParameters:
            return {
                "Cell parameters.",
                "dimension:    number of cells in all 3 axes",
                "x nexus:      average # of nexuses along x-axis",
                "xy, xz nexus: average number of nexuses along",
                "                      xy- or xz-direction",
                "xyz nexus:    average number of nexuses along",
                "                      xyz-direction",
                "threshold:    in number of nexuses",
                "excited:      length of excited state in ms",
                "active:       length of excited state in ms",
                "abs. ref.:    lenght of absolute refractory state",
                "diversity:    variance between cells (in nexuses)",
                "refractory: length of relative refractory state",
                "",
                "actual connections in file connex.txt",
            };
        case PageHelpReturnMap:
            return {
                "The right window shows the non-linear difference",
                "equation: P{t} = f(P{t-1})",
                "",
                "x nexus:      average # of nexuses along x-axis",
                "xy, xz nexus: average number of nexuses along",
                "              xy- or xz-direction",
                "xyz nexus:    average number of nexuses along",
                "              xyz-direction",
                "threshold:    in number of nexuses",
            };
        case PageHelpOscTimeWindow:
            return OscTimeWindowHelp();
        case PageHelpOscParameters:
            return {
                "Oscillator parameters:",
                "",
                "[oscilstart]  start parameters",
                "",
                "dimension: length of x-, y- and z-axis of",
                "           conglomerate of oscillators",
                "",
                "           NB: in case of level 3 the length",
                "               of the z-axis = 0",
            };
        case PageHelpOscStart:
            return {
                "Oscillator start parameters.",
                "",
                "Start fraction: the fraction activity in all",
                "                oscillators at start of this",
                "                simulation",
                "Phase var.    : variation of phase between",
                "                oscillators at start of this",
                "                run (x-direction only)",
                "Period var.   : variation of period between",
                "                oscillators (y-direction only)",
            };
        case PageHelpOneOscillatorTimeWindow:
            return OscTimeWindowHelp().mid(0, 3);
        case PageHelpIndependentStart:
            return OscillatorStartHelp();
        case PageHelpOneOscillatorStart: {
            QStringList lines = OscillatorStartHelp().mid(0, 7);
            lines << "The upper trace in the time window shows the "
                  << "activity of the oscillator, the lower trace"
                  << "simulates the electrogram."
                  << ""
                  << "The other buttons give access to sub-panels.";
            return lines;
        }
        case PageHelpCoupledStart: {
            QStringList lines = OscillatorStartHelp().mid(0, 9);
            lines << "  [all oscill.s] all oscillators with activity"
                  << "                 above 0.5 are shown at right"
                  << ""
                  << "The other buttons give access to sub-panels.";
            return lines;
        }
        default:
            return {};
    }
}

bool IsHelpPage(int page) { return !HelpText(page).isEmpty(); }

bool HelpHasScrollBar(int page) {
    return page == PageHelpParameters || page == PageHelpCoupledStart;
}

}  // namespace myogrid
