#include "analysis/LoopFilterFit.h"

#include <cmath>

namespace {

constexpr int kCandidates = 20;
// pi from the single-precision 2 pi (6.2831855f) the analysis uses throughout.
// normFreq is 2 f / sampleRate, so a harmonic h f lies at pi normFreq h
// radians per sample.
constexpr double kPiFloat = 0.5 * static_cast<double>(6.2831855f);

double candidateCoefficient(int i)
{
    // i^2 * 0.05 * 0.05 + 0.001, the first product in single precision.
    const float scaled = static_cast<float>(i * i) * 0.05f;
    return -(scaled * 0.05 + 0.001);
}

} // namespace

double fitLoopFilter(double normFreq, std::span<double> relativeDecays)
{
    const double c = 2.0 * std::cos(kPiFloat * normFreq);
    double errors[kCandidates];
    double bestError = 1e18;
    double bestG = -0.99999988;
    int best = 0;

    for (int i = 0; i < kCandidates; ++i) {
        const double g = candidateCoefficient(i);
        const double atFundamental = std::sqrt(g * (g + c) + 1.0);
        double error = 0.0;
        double previous = 1.0;        // H: the last non-zero decay
        double beforePrevious = 1.0;  // A: the one before it
        for (std::size_t j = 0; j < relativeDecays.size(); ++j) {
            const double harmonic = static_cast<double>(j + 1);
            const double model =
                atFundamental / std::sqrt(g * (g + 2.0 * std::cos(kPiFloat * normFreq * harmonic)) + 1.0);
            double& decay = relativeDecays[j];
            if (j > 3 && decay > 1.1 * previous && decay > 1.1 * beforePrevious)
                decay *= previous;
            error += decay * (decay - model) * (decay - model);
            if (decay > 0.0) {
                beforePrevious = previous;
                previous = decay;
            }
        }
        errors[i] = error;
        if (error < bestError) {
            bestError = error;
            bestG = g;
            best = i;
        }
    }

    if (best >= 1 && best <= kCandidates - 2 && errors[best - 1] > bestError && errors[best + 1] > bestError) {
        const double x = best + 0.5 * (errors[best - 1] - errors[best + 1]) /
                                    (errors[best - 1] - 2.0 * errors[best] + errors[best + 1]);
        bestG = -(0.0025 * x * x + 0.001);
    }
    return bestG;
}
