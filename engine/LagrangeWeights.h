// Third-order Lagrange interpolation weights for a fractional position D in
// (1, 2] counted from the newest of four taps: h0 weights the newest tap,
// h3 the oldest. Taps at delays 0..3 then reproduce the signal delayed by D.
#pragma once

template <typename Real>
inline void lagrangeWeights(Real D, Real h[4])
{
    h[0] = -(D - 1) * (D - 2) * (D - 3) / 6;
    h[1] = D * (D - 2) * (D - 3) / 2;
    h[2] = -D * (D - 1) * (D - 3) / 2;
    h[3] = D * (D - 1) * (D - 2) / 6;
}
