// Statistics for the sampler tests: a generator with a fixed state, Pearson's
// chi-square test with pooling of sparse cells, and a running mean.
#pragma once

// Standard headers
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numeric>
#include <random>
#include <vector>

// Uniform floats in [0, 1) from a generator started in a fixed state, so that
// statistical tests never flake.
class UniformSequence {
public:
    explicit UniformSequence(std::uint64_t state) : engine_(state) {}
    float Next() { return static_cast<float>(engine_() >> 40) * 0x1p-24f; }

private:
    std::mt19937_64 engine_;
};

// Q(a, x), the regularised upper incomplete gamma function.
inline double UpperIncompleteGamma(double a, double x) {
    if (x <= 0.0) return 1.0;
    const double logPrefix = -x + a * std::log(x) - std::lgamma(a);
    if (x < a + 1.0) {
        double term = 1.0 / a;
        double sum = term;
        for (double ap = a + 1.0; std::abs(term) > std::abs(sum) * 1e-16; ap += 1.0) {
            term *= x / ap;
            sum += term;
        }
        return 1.0 - sum * std::exp(logPrefix);
    }
    // Continued fraction, evaluated by Lentz's method.
    const double tiny = 1e-300;
    double b = x + 1.0 - a;
    double c = 1.0 / tiny;
    double d = 1.0 / b;
    double h = d;
    for (int i = 1; i < 10000; ++i) {
        const double an = -i * (i - a);
        b += 2.0;
        d = an * d + b;
        if (std::abs(d) < tiny) d = tiny;
        c = b + an / c;
        if (std::abs(c) < tiny) c = tiny;
        d = 1.0 / d;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1.0) < 1e-16) break;
    }
    return std::exp(logPrefix) * h;
}

struct ChiSquareOutcome {
    double statistic = 0.0;
    int degreesOfFreedom = 0;
    double pValue = 1.0;
};

// Pearson's test of observed counts against expected ones. Cells expecting
// fewer than minExpected are pooled, smallest first, until the pool expects
// at least that many.
inline ChiSquareOutcome ChiSquareTest(const std::vector<double>& observed,
                                      const std::vector<double>& expected,
                                      double minExpected = 5.0) {
    std::vector<std::size_t> order(expected.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return expected[a] < expected[b]; });

    ChiSquareOutcome outcome;
    int cells = 0;
    double pooledObserved = 0.0;
    double pooledExpected = 0.0;
    for (std::size_t i : order) {
        if (expected[i] < minExpected || (pooledExpected > 0.0 && pooledExpected < minExpected)) {
            pooledObserved += observed[i];
            pooledExpected += expected[i];
            continue;
        }
        const double diff = observed[i] - expected[i];
        outcome.statistic += diff * diff / expected[i];
        ++cells;
    }
    if (pooledExpected > 0.0) {
        const double diff = pooledObserved - pooledExpected;
        outcome.statistic += diff * diff / pooledExpected;
        ++cells;
    }
    outcome.degreesOfFreedom = cells - 1;
    outcome.pValue = UpperIncompleteGamma(0.5 * outcome.degreesOfFreedom, 0.5 * outcome.statistic);
    return outcome;
}

// Significance of each of `tests` chi-square tests, so that all of them
// together reject a correct sampler with probability 0.01 (Šidák).
inline double CorrectedSignificance(int tests) { return 1.0 - std::pow(0.99, 1.0 / tests); }

// Mean and standard error of a stream of estimates.
class RunningMean {
public:
    void Add(double x) {
        ++count_;
        const double delta = x - mean_;
        mean_ += delta / count_;
        m2_ += delta * (x - mean_);
    }
    double Mean() const { return mean_; }
    double StandardError() const { return std::sqrt(m2_ / (count_ - 1) / count_); }

private:
    long count_ = 0;
    double mean_ = 0.0;
    double m2_ = 0.0;
};
