#include "ecgtrace/value_texts.h"

#include "common/number_format.h"
#include "common/numeric.h"

namespace ecgtrace {

std::string TGroupText(const SignalModel& m, std::int32_t g) {
    return "T for group " + common::IntToText(g) + " = " + common::IntToText(m.Period(g));
}

std::string fText(const SignalModel& m, std::int32_t g) {
    return common::FormatFixed(m.Parameters(g).f, 2);
}

std::string FText(const SignalModel& m, std::int32_t g) {
    return common::FormatFixed(m.Parameters(g).F, 2);
}

std::string M1Text(const SignalModel& m, std::int32_t g) {
    return "m1 = " + common::FormatFixed(m.Parameters(g).m1(), 5, 10);
}

std::string M2Text(const SignalModel& m, std::int32_t g) {
    return "m2 = " + common::FormatFixed(m.Parameters(g).m2(), 5, 10);
}

std::string P0Text(const SignalModel& m, std::int32_t g) {
    return common::FormatFixed(m.Parameters(g).P0, 2);
}

std::string PHalfText(const SignalModel& m, std::int32_t g) {
    return "p half = " + common::FormatFixed(common::RequireFinite(m.PHalf(g)), 3);
}

std::string PWholeText(const SignalModel& m, std::int32_t g) {
    return "p whole = " + common::FormatFixed(common::RequireFinite(m.PWhole(g)), 3);
}

std::string EStartText(const SignalModel& m) {
    return "E(" + common::IntToText(m.EWindowStart()) + ")";
}
std::string EEndText(const SignalModel& m) {
    return "E(" + common::IntToText(m.EWindowEnd()) + ")";
}

}  // namespace ecgtrace
