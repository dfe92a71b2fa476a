#include "myogrid/engine/rebuild_policy.h"

namespace myogrid {

BuildRecord RebuildPolicy::Wanted(ModelKind kind, const ParameterSource& params) const {
    BuildRecord wanted = record_;
    wanted.xNexus = params.Integer(Param::XNexus);
    wanted.xyXzNexus = params.Integer(Param::XyXzNexus);
    wanted.xyzNexus = params.Integer(Param::XyzNexus);
    if (kind == ModelKind::Topological)
        wanted.dimension = params.Integer(Param::Dimension);
    else
        wanted.oscDimension = params.Integer(Param::OscDimension);
    return wanted;
}

void RebuildPolicy::BuiltSmaller(ModelKind kind, int dimension) {
    (kind == ModelKind::Topological ? record_.dimension : record_.oscDimension) = dimension;
}

}  // namespace myogrid
