// Shading from many render threads at once: the shared call counter loses no
// increment, and the host's transparency query may run meanwhile. Built with
// ThreadSanitizer in the tsan preset, these also show any data race.
#include "tests/support/shade_fixture.h"

#include "shading/shade_random.h"
#include "shading/shade_statistics.h"

#include <atomic>
#include <thread>

namespace {
class ShadeConcurrency : public ShadeTest {};
}  // namespace

TEST_F(ShadeConcurrency, EightThreadsShadeOneMaterialWithoutLosingCounts) {
    UseTestEnvironment();
    LumraMtl* mtl = NewMaterial();
    mtl->pblock->SetValue(mtl_reflect_mult, 0, 1.0f);
    mtl->pblock->SetValue(mtl_refl_gloss, 0, 0.6f);
    mtl->pblock->SetValue(mtl_transparency_mult, 0, 5.0f);
    mtl->pblock->SetValue(mtl_transp_gloss, 0, 0.7f);
    Refresh(mtl);

    constexpr int kThreads = 8;
    constexpr int kCalls = 300;
    const std::uint32_t before = shadeCallCounter.load();
    shadeStatistics.Reset();
    std::atomic<bool> shading{true};
    std::thread query([&] {
        // The host asks for the simple transparency while slots render.
        while (shading.load()) EXPECT_LE(mtl->GetXParency(), 0.81f);
    });
    std::vector<std::thread> threads;
    std::atomic<int> finite{0};
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            FixedLight light(0.7f);
            LitContext sc(Normalize(Point3(0.1f * static_cast<float>(i), 0.2f, -1.0f)));
            sc.AddLight(&light);
            for (int k = 0; k < kCalls; ++k) {
                mtl->Shade(sc);
                if (std::isfinite(sc.out.c.r)) ++finite;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    shading = false;
    query.join();
    EXPECT_EQ(shadeCallCounter.load() - before, static_cast<std::uint32_t>(kThreads * kCalls));
    EXPECT_EQ(shadeStatistics.Calls(), static_cast<std::uint64_t>(kThreads * kCalls));
    EXPECT_EQ(finite.load(), kThreads * kCalls);
}

// Threads that count and end, many more of them than there are slots: every count
// stays, and no thread leaves anything to do at its exit (which crashes the
// emulated thread-local storage of mingw-w64 builds now and then).
TEST(ShadeStatisticsConcurrency, ShortLivedThreadsKeepEveryCount) {
    ShadeStatistics statistics;
    constexpr int kRounds = 50, kThreads = 4, kCalls = 10;
    for (int round = 0; round < kRounds; ++round) {
        std::vector<std::thread> threads;
        for (int i = 0; i < kThreads; ++i)
            threads.emplace_back([&] {
                for (int k = 0; k < kCalls; ++k) statistics.Record(3);
            });
        for (std::thread& t : threads) t.join();
    }
    EXPECT_EQ(statistics.Calls(), static_cast<std::uint64_t>(kRounds * kThreads * kCalls));
    EXPECT_EQ(statistics.Iterations(), static_cast<std::uint64_t>(3 * kRounds * kThreads * kCalls));
}
