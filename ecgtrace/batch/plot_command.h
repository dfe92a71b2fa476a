#pragma once
// ecgtrace-batch's plot command:
//   [PARFILE] --plot NAME --format F [--scale N] [--group G] [--cross C]
//   [--repetition] --out FILE|-
#include "ecgtrace/model/plot_exports.h"

namespace ecgtrace {

// Returns the exit status (0 done, 1 failed, 2 bad arguments, a group
// outside the file's ones included); messages on stderr. "--out -" writes
// to standard output.
int RunPlotExportCommand(int argc, char** argv);
// True when the arguments ask for a plot (--plot is among them).
bool AsksForPlot(int argc, char** argv);

}  // namespace ecgtrace
