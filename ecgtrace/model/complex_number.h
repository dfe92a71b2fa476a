#pragma once
// Complex numbers of the analysis: two 64-bit floats; the arithmetic runs in
// extended precision and the results are stored as 64-bit floats.
namespace ecgtrace {

struct Complex {
    double re = 0.0;
    double im = 0.0;
    friend bool operator==(const Complex&, const Complex&) = default;
};

Complex ComplexMake(double x, double y);
Complex ComplexAdd(const Complex& a, const Complex& b);
Complex ComplexMultiply(const Complex& a, const Complex& b);
Complex ComplexScale(const Complex& a, double x);
Complex ComplexExp(const Complex& a);
// a times the conjugate of b.
Complex ComplexConjProduct(const Complex& a, const Complex& b);
// sqrt(re + im) when that sum is not negative, else 0. The parts are added,
// not squared: for a value times its own conjugate (im = 0) it is the modulus.
double ComplexAmplitude(const Complex& a);

}  // namespace ecgtrace
