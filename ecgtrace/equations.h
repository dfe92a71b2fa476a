#pragma once
// The pictures of the model's formulas beside the plots of the main window.
#include <QLabel>

namespace ecgtrace {

enum class Formulas { SumSignal, Period, GroupSignal, Map };

// A fixed-size picture (E(t) 349x265, T 442x265, A(t) 442x265, P 257x265).
QLabel* CreateEquationPicture(Formulas which, QWidget* parent);

// The rich text shown (for tests).
QString EquationText(Formulas which);

}  // namespace ecgtrace
