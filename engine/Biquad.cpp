#include "engine/Biquad.h"

#include <cmath>

Biquad::Biquad() : pi(static_cast<float>(4.0 * std::atan(1.0))) {}

float Biquad::process(float x)
{
    output = biquadStep(x, b0, b1, b2, a1, a2, x1, x2, y1, y2, offset);
    return output;
}

void Biquad::reset()
{
    output = 0.f;
    y1 = y2 = x1 = x2 = 0.f;
}

bool Biquad::design(const BiquadDesign& p, int type)
{
    if (type < 0 || type >= kNumTypes)
        return false;

    const double w0 = 2.0 * static_cast<double>(pi) * p.frequency / sampleRate;
    const double cs = std::cos(w0);
    const double sn = std::sin(w0);
    const double Q = p.Q;
    const double alpha = p.bandwidthGiven ? sn * std::sinh(std::log(2.0) / 2.0 * Q * w0 / sn) : sn / (2.0 * Q);
    const double A = p.gain;
    const double beta = std::sqrt(A) / Q * sn;

    double b[3];
    double a[3];
    switch (type) {
    case kLowpass:
        b[0] = (1.0 - cs) / 2.0; b[1] = 1.0 - cs; b[2] = (1.0 - cs) / 2.0;
        a[0] = 1.0 + alpha; a[1] = -2.0 * cs; a[2] = 1.0 - alpha;
        break;
    case kHighpass:
        b[0] = (1.0 + cs) / 2.0; b[1] = -(1.0 + cs); b[2] = (1.0 + cs) / 2.0;
        a[0] = 1.0 + alpha; a[1] = -2.0 * cs; a[2] = 1.0 - alpha;
        break;
    case kBandpass: {
        const double peak = p.constantPeakGain ? 1.0 : Q;
        b[0] = peak * alpha; b[1] = 0.0; b[2] = -peak * alpha;
        a[0] = 1.0 + alpha; a[1] = -2.0 * cs; a[2] = 1.0 - alpha;
        break;
    }
    case kNotch:
        b[0] = 1.0; b[1] = -2.0 * cs; b[2] = 1.0;
        a[0] = 1.0 + alpha; a[1] = -2.0 * cs; a[2] = 1.0 - alpha;
        break;
    case kAllpass:
        b[0] = 1.0 - alpha; b[1] = -2.0 * cs; b[2] = 1.0 + alpha;
        a[0] = 1.0 + alpha; a[1] = -2.0 * cs; a[2] = 1.0 - alpha;
        break;
    case kLowShelf:
        b[0] = A * ((A + 1.0) - (A - 1.0) * cs + beta);
        b[1] = 2.0 * A * ((A - 1.0) - (A + 1.0) * cs);
        b[2] = A * ((A + 1.0) - (A - 1.0) * cs - beta);
        a[0] = (A + 1.0) + (A - 1.0) * cs + beta;
        a[1] = -2.0 * ((A - 1.0) + (A + 1.0) * cs);
        a[2] = (A + 1.0) + (A - 1.0) * cs - beta;
        break;
    case kHighShelf:
        b[0] = A * ((A + 1.0) + (A - 1.0) * cs + beta);
        b[1] = -2.0 * A * ((A - 1.0) + (A + 1.0) * cs);
        b[2] = A * ((A + 1.0) + (A - 1.0) * cs - beta);
        a[0] = (A + 1.0) - (A - 1.0) * cs + beta;
        a[1] = 2.0 * ((A - 1.0) - (A + 1.0) * cs);
        a[2] = (A + 1.0) - (A - 1.0) * cs - beta;
        break;
    case kPeaking:
        b[0] = 1.0 + alpha * A; b[1] = -2.0 * cs; b[2] = 1.0 - alpha * A;
        a[0] = 1.0 + alpha / A; a[1] = -2.0 * cs; a[2] = 1.0 - alpha / A;
        break;
    default: {  // kAllpassFromSlope: poles and zeros placed by the slope field S
        const double S = p.slope;
        const double k1 = 2.0 * (S - 2.0) / (S + 1.0);
        const double k2 = (S - 1.0) * (S - 2.0) / ((S + 2.0) * (S + 1.0));
        b[0] = k2; b[1] = k1; b[2] = 1.0;
        a[0] = 1.0; a[1] = k1; a[2] = k2;
        break;
    }
    }

    for (int k = 0; k < 3; ++k) {
        rawB[k] = static_cast<float>(b[k]);
        rawA[k] = static_cast<float>(a[k]);
    }
    b0 = static_cast<float>(b[0] / a[0]);
    b1 = static_cast<float>(b[1] / a[0]);
    b2 = static_cast<float>(b[2] / a[0]);
    a1 = static_cast<float>(a[1] / a[0]);
    a2 = static_cast<float>(a[2] / a[0]);
    return true;
}

void Biquad::getCoefficients(float b[3], float a[3]) const
{
    for (int k = 0; k < 3; ++k) {
        b[k] = rawB[k];
        a[k] = rawA[k];
    }
}
