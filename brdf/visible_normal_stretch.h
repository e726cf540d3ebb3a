// Visible-normal sampling of an anisotropic distribution through its
// unit-roughness form: stretch the view to roughness 1, draw the visible slopes
// there, turn them to the view's azimuth and map them back.
#pragma once

// Project headers
#include "brdf/azimuth.h"

// Host headers
#include "point3.h"

// SampleUnitSlopes(cosθ, u1, u2, slopeX, slopeY) draws slopes of the
// unit-roughness visible normals seen from polar angle θ at azimuth 0.
template <class UnitSlopeSampler>
inline Point3 SampleVisibleNormalByStretch(const Point3& wo, float alphaX, float alphaY, float u1,
                                           float u2, UnitSlopeSampler sampleUnitSlopes) {
    // View in the unit-roughness configuration.
    const Point3 s = Normalize(Point3(alphaX * wo.x, alphaY * wo.y, wo.z));
    float slopeX, slopeY;
    sampleUnitSlopes(s.z, u1, u2, slopeX, slopeY);
    // Slopes turned from azimuth 0 to the stretched view's azimuth.
    const float c = CosAzimuth(s);
    const float n = SinAzimuth(s);
    const float tx = c * slopeX - n * slopeY;
    const float ty = n * slopeX + c * slopeY;
    // Unstretched slopes as a normal: slope (tx, ty) belongs to the facet (−tx, −ty, 1).
    return Normalize(Point3(-alphaX * tx, -alphaY * ty, 1.0f));
}

// The same, prepared for many draws from one view and roughness pair: the
// stretched view, its azimuth and whatever the slope sampler needs of its polar
// angle are worked out once. PreparedUnitSlopes is constructed from cosθ of the
// stretched view and draws K pairs with Samples<K>(u1, u2, slopeX, slopeY). Sample
// gives bit for bit what SampleVisibleNormalByStretch gives for the same
// arguments, and so does each of Samples' normals.
template <class PreparedUnitSlopes>
class PreparedVisibleNormalByStretch {
public:
    PreparedVisibleNormalByStretch(const Point3& wo, float alphaX, float alphaY)
        : alphaX_(alphaX),
          alphaY_(alphaY),
          stretched_(Normalize(Point3(alphaX * wo.x, alphaY * wo.y, wo.z))),
          cosPhi_(CosAzimuth(stretched_)),
          sinPhi_(SinAzimuth(stretched_)),
          slopes_(stretched_.z) {}

    Point3 Sample(float u1, float u2) const {
        Point3 m;
        Samples<1>(&u1, &u2, &m);
        return m;
    }

    // K normals for the pairs (u1[k], u2[k]), worked out side by side.
    template <int K>
    void Samples(const float* u1, const float* u2, Point3* m) const {
        float slopeX[K], slopeY[K];
        slopes_.template Samples<K>(u1, u2, slopeX, slopeY);
        for (int k = 0; k < K; ++k) {
            const float tx = cosPhi_ * slopeX[k] - sinPhi_ * slopeY[k];
            const float ty = sinPhi_ * slopeX[k] + cosPhi_ * slopeY[k];
            m[k] = Normalize(Point3(-alphaX_ * tx, -alphaY_ * ty, 1.0f));
        }
    }

private:
    float alphaX_, alphaY_;
    Point3 stretched_;  // the view in the unit-roughness configuration
    float cosPhi_, sinPhi_;
    PreparedUnitSlopes slopes_;
};
