#include "ecgtrace/value_texts.h"

#include <gtest/gtest.h>

#include <limits>

#include "common/errors.h"
#include "support/work_dir.h"

namespace {

using ecgtrace::SignalModel;

SignalModel Started() {
    testing_support::ScopedWorkDir dir;  // no parameter file: the defaults
    SignalModel m;
    m.RunStartupComputations();
    return m;
}

TEST(ValueTexts, DefaultsAsTheTabsShowThem) {
    const SignalModel m = Started();
    EXPECT_EQ(ecgtrace::TGroupText(m, 1), "T for group 1 = 221");
    EXPECT_EQ(ecgtrace::fText(m, 1), "21.00");
    EXPECT_EQ(ecgtrace::FText(m, 1), "0.75");
    EXPECT_EQ(ecgtrace::M1Text(m, 1), "m1 = 66.00000");
    EXPECT_EQ(ecgtrace::M2Text(m, 1), "m2 = 116.00000");
    EXPECT_EQ(ecgtrace::P0Text(m, 1), "0.10");
    EXPECT_EQ(ecgtrace::PHalfText(m, 1), "p half = 0.290");
    EXPECT_EQ(ecgtrace::PWholeText(m, 1), "p whole = 0.706");
    EXPECT_EQ(ecgtrace::EStartText(m), "E(0)");
    EXPECT_EQ(ecgtrace::EEndText(m), "E(2800)");
}

TEST(ValueTexts, WeightsThatAreNotFiniteAreRefusedNotShown) {
    SignalModel m = Started();
    m.SetWeights(1, std::numeric_limits<double>::quiet_NaN(),
                 -std::numeric_limits<double>::infinity());
    EXPECT_THROW(ecgtrace::PHalfText(m, 1), common::AppError);
    EXPECT_THROW(ecgtrace::PWholeText(m, 1), common::AppError);
}

}  // namespace
