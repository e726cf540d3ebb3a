// The preview loop works out this many of its iterations' estimates side by side,
// whenever at least that many iterations are certain to follow: independent
// draws then overlap in the processor instead of waiting on one another.
#pragma once

inline constexpr int kSampleBatch = 4;
