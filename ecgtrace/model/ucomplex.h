#pragma once
// Complex numbers of the analysis: two 64-bit floats; the arithmetic runs in
// extended precision and the results are stored as 64-bit floats.
namespace ecgtrace {

struct TComplex {
    double re = 0.0;
    double im = 0.0;
    friend bool operator==(const TComplex&, const TComplex&) = default;
};

TComplex ComplexMake(double x, double y);
TComplex ComplexAdd(const TComplex& a, const TComplex& b);
TComplex ComplexMultiply(const TComplex& a, const TComplex& b);
TComplex ComplexScale(const TComplex& a, double x);
TComplex ComplexExp(const TComplex& a);
// a times the conjugate of b.
TComplex ComplexConjProduct(const TComplex& a, const TComplex& b);
// sqrt(re + im) when that sum is not negative, else 0. The parts are added,
// not squared: for a value times its own conjugate (im = 0) it is the modulus.
double ComplexAmplitude(const TComplex& a);

}  // namespace ecgtrace
