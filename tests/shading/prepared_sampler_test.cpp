// The prepared samplers against the named ones, bit for bit: for many views,
// normals, lobes and random pairs, a prepared sampler, drawing one pair at a
// time or a batch of them, must write exactly the estimates the named sampler
// writes, leave its output alone exactly when the named one does, and look the
// environment up in exactly the same directions.

// Project headers
#include "brdf/microfacet_sampler.h"
#include "brdf/torrsparr_sampler.h"
#include "shading/ggx_sampler.h"
#include "shading/phong_lobe.h"
#include "shading/shade_random.h"
#include "tests/support/test_shade_context.h"

// Standard headers
#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <vector>

#include <gtest/gtest.h>

namespace {

// An environment whose colour tells the lookup direction apart.
AColor DirectionColour(const Point3& d) {
    return AColor(0.5f + d.x, 0.25f + 0.5f * d.y, 1.0f - d.z * d.z, 1.0f);
}

// A float's bits; every NaN alike, as arithmetic leaves a NaN's sign and payload
// to the order in which the compiler happens to take a product's operands.
std::uint32_t Bits(float v) {
    return std::isnan(v) ? 0x7FC00000u : std::bit_cast<std::uint32_t>(v);
}

bool SameBits(const Color& a, const Color& b) {
    return Bits(a.r) == Bits(b.r) && Bits(a.g) == Bits(b.g) && Bits(a.b) == Bits(b.b);
}
bool SameBits(const Point3& a, const Point3& b) {
    return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

Point3 FromAngles(float theta, float phi) {
    return Point3(std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi),
                  std::cos(theta));
}

// Shading normals, each with the driver's kind of tangent pair.
struct Surface {
    Point3 N;
    TangentPair tangents;
};
std::vector<Surface> Surfaces() {
    std::vector<Surface> surfaces;
    for (const Point3& n : {Point3(0.0f, 0.0f, 1.0f), Normalize(Point3(0.3f, -0.8f, 0.5f)),
                            Normalize(Point3(-0.9f, 0.1f, -0.2f))}) {
        Point3 t = CrossProd(n, Point3(0.6f, 0.0f, 0.8f));
        t = Normalize(t);
        surfaces.push_back(Surface{n, TangentPair{t, CrossProd(n, t)}});
    }
    return surfaces;
}

// Views of a surface: along the normal, near it, ordinary, grazing, in the
// tangent plane, from behind, and not a number.
std::vector<Point3> ViewsOf(const Surface& s) {
    std::vector<Point3> views;
    const Point3& n = s.N;
    const Point3& t = s.tangents.t;
    const Point3& b = s.tangents.b;
    for (float theta : {0.0f, 0.005f, 0.3f, 0.8f, 1.2f, 1.5f, 1.5707964f, 2.0f}) {
        for (float phi : {0.0f, 1.1f, 4.0f}) {
            const Point3 l = FromAngles(theta, phi);
            // From the eye towards the point: the negated direction to the eye.
            views.push_back(-Normalize(t * l.x + b * l.y + n * l.z));
        }
    }
    views.push_back(Point3(std::nanf(""), 0.0f, -1.0f));  // what a faulty host may hand over
    return views;
}

// Random pairs as the shade driver draws them, and the pairs at the ends of
// their ranges.
std::vector<Point2> Pairs(std::uint32_t start, int count) {
    std::vector<Point2> pairs = {Point2(0.0f, 1e-6f), Point2(0.0f, 0.5f),
                                 Point2(32766.0f / 32767.0f, 32766.0f / 32767.0f),
                                 Point2(0.5f, 0.5f), Point2(0.25f, 0.75f)};
    ShadeRandom random;
    random.Restart(start);
    while (static_cast<int>(pairs.size()) < count) {
        const float u1 = random.Uniform();
        pairs.emplace_back(u1, std::fmax(random.Uniform(), 1e-6f));
    }
    return pairs;
}

using Named = std::function<void(Color&, ShadeContext&, const Point2&)>;
using Batch = Point2[kSampleBatch];
using Estimates = Color[kSampleBatch];

// A prepared sampler's two ways of drawing.
struct Drawn {
    std::function<void(Color&, const Point2&)> sample;
    std::function<void(Color&, const Batch&, Estimates&)> batch;
};
template <class Prepared>
Drawn Draws(const Prepared& p) {
    return Drawn{
        [p](Color& out, const Point2& u) { p.Sample(out, u); },
        [p](Color& out, const Batch& u, Estimates& after) { p.SampleBatch(out, u, after); }};
}
using Prepare = std::function<Drawn(ShadeContext&)>;

// A context that keeps every direction it is asked to look up.
class RecordingContext : public TestShadeContext {
public:
    explicit RecordingContext(const Point3& view) : TestShadeContext(view, DirectionColour) {}
    AColor EvalEnvironMap(Texmap* map, Point3 direction) override {
        lookups.push_back(direction);
        return TestShadeContext::EvalEnvironMap(map, direction);
    }
    std::vector<Point3> lookups;
};

// Draws the pairs with the named sampler, with the prepared one pair by pair
// and with the prepared one kSampleBatch pairs at a time, each from the same
// starting estimate and preparing once for the view; every estimate and every
// lookup direction must agree bit for bit. Counts the pairs the named sampler
// rejected and the mismatches (reporting the first few).
void ExpectSameEstimates(const Point3& view, const Named& named, const Prepare& prepare,
                         const std::vector<Point2>& pairs, int& rejected, int& failures) {
    RecordingContext literal(view), single(view), batched(view);
    const Drawn one = prepare(single);
    const Drawn many = prepare(batched);
    // Distinct starting values, so that an unwritten estimate shows.
    Color expected(-1.0f, -2.0f, -3.0f), got = expected, gotBatched = expected;
    const auto report = [&](const Point2& u, const Color& want, const Color& have) {
        if (++failures <= 5) {
            ADD_FAILURE() << "view (" << view.x << ", " << view.y << ", " << view.z << "), u ("
                          << u.x << ", " << u.y << "): named (" << want.r << ", " << want.g << ", "
                          << want.b << "), prepared (" << have.r << ", " << have.g << ", " << have.b
                          << ")";
        }
    };
    for (std::size_t first = 0; first + kSampleBatch <= pairs.size(); first += kSampleBatch) {
        Batch u;
        Estimates after;
        for (int i = 0; i < kSampleBatch; ++i) u[i] = pairs[first + i];
        many.batch(gotBatched, u, after);
        for (int i = 0; i < kSampleBatch; ++i) {
            const std::size_t looked = literal.lookups.size();
            named(expected, literal, u[i]);
            one.sample(got, u[i]);
            if (literal.lookups.size() == looked) ++rejected;
            if (!SameBits(expected, got)) report(u[i], expected, got);
            if (!SameBits(expected, after[i])) report(u[i], expected, after[i]);
        }
        if (!SameBits(expected, gotBatched)) report(u[kSampleBatch - 1], expected, gotBatched);
    }
    for (const RecordingContext* prepared : {&single, &batched}) {
        bool sameLookups = prepared->lookups.size() == literal.lookups.size();
        for (std::size_t i = 0; sameLookups && i < literal.lookups.size(); ++i)
            sameLookups = SameBits(prepared->lookups[i], literal.lookups[i]);
        if (!sameLookups && ++failures <= 5) ADD_FAILURE() << "lookups differ";
        EXPECT_EQ(prepared->otherCalls, 0);
        EXPECT_LE(prepared->origViewCalls, 1);
    }
}

// Cosine powers the driver derives from glossiness 0 to 0.95, the cosine power
// mode's floor, and extremes.
constexpr float kCosinePowers[] = {0.5f,  1.0f,   1.0815f,  4.65f, 12.3f,
                                   71.3f, 194.7f, 16300.0f, 1e6f};

}  // namespace

TEST(PreparedSampler, MicrofacetModelsMatchTheNamedSamplersBitForBit) {
    const std::vector<Point2> pairs = Pairs(7, 40);
    struct Model {
        const char* name;
        decltype(&SampleBeckmannReflection) named;
        bool beckmann;
    };
    for (const Model& model : {Model{"Beckmann", SampleBeckmannReflection, true},
                               Model{"TRGGX", SampleTrggxReflection, false}}) {
        SCOPED_TRACE(model.name);
        int rejected = 0, failures = 0, compared = 0;
        for (const Surface& s : Surfaces()) {
            for (const Point3& view : ViewsOf(s)) {
                for (float g : {0.0f, 0.3f, 0.5f, 0.7f, 0.95f, 0.99f}) {
                    for (float a : {0.0f, 0.5f, 1.0f}) {
                        for (float r : {0.0f, 0.35f}) {
                            if (a == 0.0f && r != 0.0f) continue;
                            Texmap* env = reinterpret_cast<Texmap*>(&compared);
                            const Named named = [&](Color& out, ShadeContext& sc, const Point2& u) {
                                model.named(out, sc, u, g, a, r, env, s.N, s.tangents);
                            };
                            const Prepare prepare = [&](ShadeContext& sc) {
                                if (model.beckmann)
                                    return Draws(PreparedBeckmannReflection(sc, g, a, r, env, s.N,
                                                                            s.tangents));
                                return Draws(
                                    PreparedTrggxReflection(sc, g, a, r, env, s.N, s.tangents));
                            };
                            ExpectSameEstimates(view, named, prepare, pairs, rejected, failures);
                            compared += static_cast<int>(pairs.size());
                        }
                    }
                }
            }
        }
        EXPECT_EQ(failures, 0) << "of " << compared;
        // Both kinds of outcome were compared.
        EXPECT_GT(rejected, compared / 10);
        EXPECT_LT(rejected, compared * 9 / 10);
    }
}

TEST(PreparedSampler, TorrSparrGgxAndPhongMatchTheNamedSamplersBitForBit) {
    const std::vector<Point2> pairs = Pairs(11, 48);
    int rejected = 0, failures = 0;
    Texmap* env = reinterpret_cast<Texmap*>(&failures);
    for (const Surface& s : Surfaces()) {
        for (const Point3& view : ViewsOf(s)) {
            for (float n : kCosinePowers) {
                ExpectSameEstimates(
                    view,
                    [&](Color& out, ShadeContext& sc, const Point2& u) {
                        SampleTorrSparrReflection(out, sc, u, n, env, s.N);
                    },
                    [&](ShadeContext& sc) {
                        return Draws(PreparedTorrSparrReflection(sc, n, env, s.N));
                    },
                    pairs, rejected, failures);
                // The Phong lobe about the mirror direction, as the driver uses it.
                const Point3 R = view - 2.0f * (view % s.N) * s.N;
                ExpectSameEstimates(
                    view,
                    [&](Color& out, ShadeContext& sc, const Point2& u) {
                        SamplePhongLobe(out, sc, u, n, env, R);
                    },
                    [&](ShadeContext& sc) { return Draws(PreparedPhongLobe(sc, n, env, R)); },
                    pairs, rejected, failures);
            }
            for (float g : {0.0f, 0.3f, 0.49f, 0.7f, 0.95f, 0.999f}) {
                ExpectSameEstimates(
                    view,
                    [&](Color& out, ShadeContext& sc, const Point2& u) {
                        SampleGgxReflection(out, sc, u, g, env, s.N);
                    },
                    [&](ShadeContext& sc) { return Draws(PreparedGgxReflection(sc, g, env, s.N)); },
                    pairs, rejected, failures);
            }
        }
    }
    EXPECT_EQ(failures, 0);
    EXPECT_GT(rejected, 1000);
}
