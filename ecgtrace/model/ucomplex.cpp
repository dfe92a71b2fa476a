#include "ecgtrace/model/ucomplex.h"

#include <cmath>

namespace ecgtrace {

using Ext = long double;

TComplex ComplexMake(double x, double y) { return TComplex{x, y}; }

TComplex ComplexAdd(const TComplex& a, const TComplex& b) {
    return TComplex{static_cast<double>(Ext(a.re) + Ext(b.re)),
                    static_cast<double>(Ext(a.im) + Ext(b.im))};
}

TComplex ComplexMultiply(const TComplex& a, const TComplex& b) {
    return TComplex{static_cast<double>(Ext(a.re) * b.re - Ext(a.im) * b.im),
                    static_cast<double>(Ext(a.im) * b.re + Ext(a.re) * b.im)};
}

TComplex ComplexScale(const TComplex& a, double x) {
    return TComplex{static_cast<double>(Ext(x) * a.re), static_cast<double>(Ext(x) * a.im)};
}

TComplex ComplexExp(const TComplex& a) {
    const Ext e = std::exp(Ext(a.re));
    return TComplex{static_cast<double>(e * std::cos(Ext(a.im))),
                    static_cast<double>(e * std::sin(Ext(a.im)))};
}

TComplex ComplexConjProduct(const TComplex& a, const TComplex& b) {
    return TComplex{static_cast<double>(Ext(a.re) * b.re + Ext(a.im) * b.im),
                    static_cast<double>(Ext(a.im) * b.re - Ext(a.re) * b.im)};
}

double ComplexAmplitude(const TComplex& a) {
    const Ext sum = Ext(a.re) + Ext(a.im);
    if (sum >= 0) return static_cast<double>(std::sqrt(sum));
    return 0.0;
}

}  // namespace ecgtrace
