#pragma once
// Names and plot descriptions of Myogrid's windows for keyboard and
// screen-reader users.
class QWidget;

namespace myogrid {

struct ModelWindowControls;

// Names the model window's fields after their labels (coordinates with
// their heading: "cell 1 x"), its icon buttons after their hints and its
// plots, described by the title, model time and right caption shown; the
// plots become reachable with Tab and help texts no longer keep Tab.
void MakeModelWindowAccessible(const ModelWindowControls& controls);

// The launcher's and the illusion window's pictures (their buttons carry
// their captions); found by their object names.
void MakeLauncherAccessible(QWidget& launcher);
void MakeIllusionWindowAccessible(QWidget& illusion);

}  // namespace myogrid
