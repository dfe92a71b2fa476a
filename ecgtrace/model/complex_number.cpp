#include "ecgtrace/model/complex_number.h"

#include <cmath>

namespace ecgtrace {

using Ext = long double;

Complex ComplexMake(double x, double y) { return Complex{x, y}; }

Complex ComplexAdd(const Complex& a, const Complex& b) {
    return Complex{static_cast<double>(Ext(a.re) + Ext(b.re)),
                   static_cast<double>(Ext(a.im) + Ext(b.im))};
}

Complex ComplexMultiply(const Complex& a, const Complex& b) {
    return Complex{static_cast<double>(Ext(a.re) * b.re - Ext(a.im) * b.im),
                   static_cast<double>(Ext(a.im) * b.re + Ext(a.re) * b.im)};
}

Complex ComplexScale(const Complex& a, double x) {
    return Complex{static_cast<double>(Ext(x) * a.re), static_cast<double>(Ext(x) * a.im)};
}

Complex ComplexExp(const Complex& a) {
    const Ext e = std::exp(Ext(a.re));
    return Complex{static_cast<double>(e * std::cos(Ext(a.im))),
                   static_cast<double>(e * std::sin(Ext(a.im)))};
}

Complex ComplexConjProduct(const Complex& a, const Complex& b) {
    return Complex{static_cast<double>(Ext(a.re) * b.re + Ext(a.im) * b.im),
                   static_cast<double>(Ext(a.im) * b.re - Ext(a.re) * b.im)};
}

double ComplexAmplitude(const Complex& a) {
    const Ext sum = Ext(a.re) + Ext(a.im);
    if (sum >= 0) return static_cast<double>(std::sqrt(sum));
    return 0.0;
}

}  // namespace ecgtrace
