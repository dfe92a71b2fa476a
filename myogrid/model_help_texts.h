#pragma once
// The pages of the model window's notebook: captions, the page each help
// speed button leads to, and the help texts.
#include <QStringList>
#include <array>

#include "myogrid/engine/model_kind.h"

namespace myogrid {

inline constexpr int kPageCount = 22;

// Page numbers of the notebook.
enum NotebookPage : int {
    PageStart = 0,
    PageHelpStart = 1,
    PageStartMethod = 2,
    PageHelpStartMethod = 3,
    PageFormula = 4,
    PageDelay = 5,
    PageHelpDelay = 6,
    PageTimeWindow = 7,
    PageHelpTimeWindow = 8,
    PageParameters = 9,
    PageHelpParameters = 10,
    PageHelpReturnMap = 11,
    PageOscTimeWindow = 12,
    PageHelpOscTimeWindow = 13,
    PageOscParameters = 14,
    PageHelpOscParameters = 15,
    PageOscStart = 16,
    PageHelpOscStart = 17,
    PageHelpOneOscillatorTimeWindow = 18,
    PageHelpIndependentStart = 19,
    PageHelpOneOscillatorStart = 20,
    PageHelpCoupledStart = 21,
};

// Captions in notebook order, as the page caption label shows them.
extern const std::array<const char*, kPageCount> kPageCaptions;
QString PageCaption(int page);

// The page the help speed buttons move to from `page`, for the model kind
// shown; -1 when they do nothing (the formula page has no help).
int HelpPageOf(int page, ModelKind kind);

// The lines of a help page's text (empty for the other pages).
QStringList HelpText(int page);
bool IsHelpPage(int page);
// The two long help texts carry a vertical scroll bar.
bool HelpHasScrollBar(int page);

}  // namespace myogrid
