#pragma once
// When a run must build its model anew: the structural parameter values the
// model in memory was built with, compared with those the controls hold now.
#include "myogrid/engine/model_kind.h"
#include "myogrid/engine/parameter_source.h"

namespace myogrid {

// Parameter values with which the model in memory was built. The three
// nexus values are shared by the block and the oscillators; a build of
// either kind stores them.
struct BuildRecord {
    int dimension = 0, xNexus = 0, xyXzNexus = 0, xyzNexus = 0, oscDimension = 0;
    friend bool operator==(const BuildRecord&, const BuildRecord&) = default;
};

class RebuildPolicy {
public:
    const BuildRecord& Record() const { return record_; }

    // The record a build of `kind` from `params` leaves: the structural
    // values of that kind; the other kind's dimension stays as recorded.
    BuildRecord Wanted(ModelKind kind, const ParameterSource& params) const;
    // A build is due when the structure differs from the last build or no
    // model of `kind` is in memory.
    bool NeedsRebuild(ModelKind kind, const ParameterSource& params, bool built) const {
        return !(built && Wanted(kind, params) == record_);
    }

    // A build of `kind` from `params` begins: it is recorded at once.
    void BuildStarting(ModelKind kind, const ParameterSource& params) {
        record_ = Wanted(kind, params);
    }
    // Memory ran out and a smaller model of `dimension` was built.
    void BuiltSmaller(ModelKind kind, int dimension);
    // Nothing usable is in memory, or the window opened a model afresh: the
    // next run builds, whatever the parameters.
    void Forget() { record_ = BuildRecord{}; }

private:
    BuildRecord record_;
};

}  // namespace myogrid
