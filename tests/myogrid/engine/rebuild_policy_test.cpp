#include "myogrid/engine/rebuild_policy.h"

#include <gtest/gtest.h>

#include "myogrid/engine/parameter_values.h"

namespace myogrid {
namespace {

TEST(RebuildPolicy, TheFirstRunAlwaysBuilds) {
    RebuildPolicy policy;
    const ParameterValues params;
    EXPECT_EQ(policy.Record(), BuildRecord{});
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::Topological, params, false));
    // Even a model left in memory is built again after the window forgot it.
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::Topological, params, true));
}

TEST(RebuildPolicy, OnlyTheStructuralValuesOfTheKindCount) {
    RebuildPolicy policy;
    ParameterValues params;
    policy.BuildStarting(ModelKind::Topological, params);
    EXPECT_EQ(policy.Record(), (BuildRecord{10, 18, 3, 1, 0}));
    EXPECT_FALSE(policy.NeedsRebuild(ModelKind::Topological, params, true));
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::Topological, params, false)) << "released";

    params.SetInteger(Param::Threshold, 20);
    params.SetInteger(Param::OscDimension, 7);  // not the block's
    EXPECT_FALSE(policy.NeedsRebuild(ModelKind::Topological, params, true));
    params.SetInteger(Param::Dimension, 6);
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::Topological, params, true));
    params.SetInteger(Param::Dimension, 10);
    params.SetInteger(Param::XyzNexus, 2);
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::Topological, params, true));
}

TEST(RebuildPolicy, OscillatorsKeepTheBlockDimensionAndShareTheNexuses) {
    RebuildPolicy policy;
    ParameterValues params;
    policy.BuildStarting(ModelKind::Topological, params);
    // The same nexuses, but no oscillators were built yet.
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::CoupledOscillators, params, true));
    policy.BuildStarting(ModelKind::CoupledOscillators, params);
    EXPECT_EQ(policy.Record(), (BuildRecord{10, 18, 3, 1, 5}));
    params.SetInteger(Param::Dimension, 6);
    EXPECT_FALSE(policy.NeedsRebuild(ModelKind::OneOscillator, params, true));
    params.SetInteger(Param::OscDimension, 4);
    EXPECT_TRUE(policy.NeedsRebuild(ModelKind::OneOscillator, params, true));
}

TEST(RebuildPolicy, ASmallerBuildIsRecordedAndForgettingClearsAll) {
    RebuildPolicy policy;
    ParameterValues params;
    params.SetInteger(Param::Dimension, 13);
    policy.BuildStarting(ModelKind::Topological, params);
    policy.BuiltSmaller(ModelKind::Topological, 9);
    EXPECT_EQ(policy.Record().dimension, 9);
    params.SetInteger(Param::Dimension, 9);  // the window lowers its control
    EXPECT_FALSE(policy.NeedsRebuild(ModelKind::Topological, params, true));
    policy.BuildStarting(ModelKind::IndependentOscillators, params);
    policy.BuiltSmaller(ModelKind::IndependentOscillators, 4);
    EXPECT_EQ(policy.Record(), (BuildRecord{9, 18, 3, 1, 4}));
    policy.Forget();
    EXPECT_EQ(policy.Record(), BuildRecord{});
}

}  // namespace
}  // namespace myogrid
