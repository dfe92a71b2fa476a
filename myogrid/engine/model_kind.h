#pragma once
// Which model the model window runs.

namespace myogrid {

enum class ModelKind : int {
    Topological = -1,
    IndependentOscillators = 0,
    OneOscillator = 1,
    CoupledOscillators = 2,
};

}  // namespace myogrid
