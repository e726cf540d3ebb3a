// Double-precision references for the microfacet tests: the textbook Beckmann
// and Trowbridge-Reitz distributions with their exact Smith masking, the
// distribution of visible normals, a binned goodness-of-fit test of a
// visible-normal sampler, and quadrature over the hemisphere.
#pragma once

// Project headers
#include "tests/support/statistics.h"

// Host headers
#include "point3.h"

// Standard headers
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

namespace reference {

constexpr double kPi = 3.14159265358979323846;

struct Direction {
    double x, y, z;
};

inline Direction FromAngles(double theta, double phi) {
    return {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
}

// A distribution with roughness alphaX along x and alphaY along y.
struct Microfacet {
    enum Kind { kBeckmann, kTrowbridgeReitz } kind;
    double alphaX, alphaY;

    double D(const Direction& m) const {
        if (m.z <= 0.0) return 0.0;
        const double cos2 = m.z * m.z;
        const double sin2 = 1.0 - cos2;
        const double e =
            sin2 == 0.0 ? 0.0
                        : (m.x * m.x / (alphaX * alphaX) + m.y * m.y / (alphaY * alphaY)) / cos2;
        const double norm = kPi * alphaX * alphaY * cos2 * cos2;
        if (kind == kBeckmann) return std::exp(-e) / norm;
        return 1.0 / (norm * (1.0 + e) * (1.0 + e));
    }

    // Exact Smith Λ of a direction above the surface.
    double Lambda(const Direction& w) const {
        const double sin2 = w.x * w.x + w.y * w.y;
        if (sin2 == 0.0) return 0.0;
        const double alpha2 = (w.x * w.x * alphaX * alphaX + w.y * w.y * alphaY * alphaY) / sin2;
        const double tanTheta = std::sqrt(sin2) / w.z;
        if (kind == kBeckmann) {
            const double a = 1.0 / (std::sqrt(alpha2) * tanTheta);
            return 0.5 * (std::erf(a) - 1.0) + std::exp(-a * a) / (2.0 * a * std::sqrt(kPi));
        }
        return 0.5 * (std::sqrt(1.0 + alpha2 * tanTheta * tanTheta) - 1.0);
    }

    // Density of visible normals seen from wo, G1(wo) max(0, wo·m) D(m) / wo.z.
    double VisibleD(const Direction& wo, const Direction& m) const {
        const double cosOM = wo.x * m.x + wo.y * m.y + wo.z * m.z;
        if (cosOM <= 0.0) return 0.0;
        return cosOM * D(m) / ((1.0 + Lambda(wo)) * wo.z);
    }
};

// ∫ f(θ, φ) sinθ dθ dφ over θ in [theta0, theta1], φ in [phi0, phi1], by the
// midpoint rule on an n × n grid.
inline double IntegrateCell(const std::function<double(double, double)>& f, double theta0,
                            double theta1, double phi0, double phi1, int n) {
    const double dTheta = (theta1 - theta0) / n;
    const double dPhi = (phi1 - phi0) / n;
    double sum = 0.0;
    for (int i = 0; i < n; ++i) {
        const double theta = theta0 + (i + 0.5) * dTheta;
        double row = 0.0;
        for (int j = 0; j < n; ++j) row += f(theta, phi0 + (j + 0.5) * dPhi);
        sum += row * std::sin(theta);
    }
    return sum * dTheta * dPhi;
}

// ∫ over the upper hemisphere of f(direction) dω.
inline double IntegrateHemisphere(const std::function<double(const Direction&)>& f, int thetaSteps,
                                  int phiSteps) {
    const double dTheta = 0.5 * kPi / thetaSteps;
    const double dPhi = 2.0 * kPi / phiSteps;
    double sum = 0.0;
    for (int i = 0; i < thetaSteps; ++i) {
        const double theta = (i + 0.5) * dTheta;
        double row = 0.0;
        for (int j = 0; j < phiSteps; ++j) row += f(FromAngles(theta, (j + 0.5) * dPhi));
        sum += row * std::sin(theta);
    }
    return sum * dTheta * dPhi;
}

struct FitOutcome {
    ChiSquareOutcome chiSquare;
    int invalidSamples = 0;      // not finite, not unit or not above the surface
    double expectedTotal = 0.0;  // integral of the reference density, ideally 1
};

// Bins unit normals drawn by `sample` over the upper hemisphere and compares
// the counts with `density` (per solid angle). The polar bins are uniform in
// atan(tanθ / scale), so that narrow lobes are resolved as well as wide ones.
inline FitOutcome FitVisibleNormals(const std::function<Point3(float, float)>& sample,
                                    const std::function<double(const Direction&)>& density,
                                    double scale, int sampleCount, std::uint64_t generatorState,
                                    int thetaBins = 16, int phiBins = 32) {
    FitOutcome outcome;
    std::vector<double> observed(thetaBins * phiBins, 0.0);
    UniformSequence uniform(generatorState);
    for (int i = 0; i < sampleCount; ++i) {
        const float u1 = uniform.Next();
        const float u2 = uniform.Next();
        const Point3 m = sample(u1, u2);
        const double length = std::sqrt(double(m.x) * m.x + double(m.y) * m.y + double(m.z) * m.z);
        if (!std::isfinite(length) || std::abs(length - 1.0) > 1e-4 || !(m.z > 0.0f)) {
            ++outcome.invalidSamples;
            continue;
        }
        const double u =
            std::atan2(std::hypot(double(m.x), double(m.y)), m.z * scale) / (0.5 * kPi);
        double phi = std::atan2(double(m.y), double(m.x));
        if (phi < 0.0) phi += 2.0 * kPi;
        const int ti = std::min(thetaBins - 1, static_cast<int>(u * thetaBins));
        const int pj = std::min(phiBins - 1, static_cast<int>(phi / (2.0 * kPi) * phiBins));
        observed[ti * phiBins + pj] += 1.0;
    }

    std::vector<double> expected(observed.size());
    auto thetaOf = [&](int i) { return std::atan(scale * std::tan(0.5 * kPi * i / thetaBins)); };
    for (int i = 0; i < thetaBins; ++i) {
        const double theta0 = thetaOf(i);
        const double theta1 = i + 1 == thetaBins ? 0.5 * kPi : thetaOf(i + 1);
        for (int j = 0; j < phiBins; ++j) {
            const double phi0 = 2.0 * kPi * j / phiBins;
            const double phi1 = 2.0 * kPi * (j + 1) / phiBins;
            const double p = IntegrateCell(
                [&](double theta, double phi) { return density(FromAngles(theta, phi)); }, theta0,
                theta1, phi0, phi1, 12);
            outcome.expectedTotal += p;
            expected[i * phiBins + j] = p * sampleCount;
        }
    }
    outcome.chiSquare = ChiSquareTest(observed, expected);
    return outcome;
}

}  // namespace reference
