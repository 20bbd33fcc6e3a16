// Third-order Lagrange interpolation weights for a fractional position D in
// (1, 2] counted from the newest of four taps: h0 weights the newest tap,
// h3 the oldest. Taps at delays 0..3 then reproduce the signal delayed by D.
#pragma once

// The sixths are taken as a multiplication (no division in the tension path,
// which moves every loud comb each 16 samples).
// Real may be a vector type; Scalar is then its element type.
template <typename Real, typename Scalar = Real>
__attribute__((always_inline)) inline void lagrangeWeights(Real D, Real h[4])
{
    const Scalar sixth = Scalar(1) / Scalar(6);
    h[0] = -(D - 1) * (D - 2) * (D - 3) * sixth;
    h[1] = D * (D - 2) * (D - 3) / 2;
    h[2] = -D * (D - 1) * (D - 3) / 2;
    h[3] = D * (D - 1) * (D - 2) * sixth;
}
