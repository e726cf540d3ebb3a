// A closed range of times. NEVER is the empty interval, FOREVER the whole line.
#pragma once

#include "maxtypes.h"

class Interval : public MaxHeapOperators {
public:
    TimeValue start;
    TimeValue end;

    constexpr Interval() : start(TIME_NegInfinity), end(TIME_NegInfinity) {}
    constexpr Interval(TimeValue s, TimeValue e) : start(e < s ? e : s), end(e < s ? s : e) {}

    constexpr int operator==(const Interval& i) const { return i.start == start && i.end == end; }
    constexpr int operator!=(const Interval& i) const { return !(*this == i); }

    // True when start <= t <= end; the empty interval contains nothing.
    constexpr int InInterval(const TimeValue t) const {
        return start <= t && t <= end && t != TIME_NegInfinity;
    }
    constexpr int InInterval(const Interval interval) const {
        return InInterval(interval.start) && InInterval(interval.end);
    }
    constexpr int Empty() const { return start == TIME_NegInfinity && end == TIME_NegInfinity; }

    void Set(TimeValue s, TimeValue e) { *this = Interval(s, e); }
    void SetStart(TimeValue s) { start = s; }
    void SetEnd(TimeValue e) { end = e; }
    void SetEmpty() { start = end = TIME_NegInfinity; }
    void SetInfinite() {
        start = TIME_NegInfinity;
        end = TIME_PosInfinity;
    }
    void SetInstant(const TimeValue t) { start = end = t; }
    constexpr TimeValue Start() const { return start; }
    constexpr TimeValue End() const { return end; }
    // The number of ticks spanned, at most TIME_PosInfinity (the whole line spans
    // more than a TimeValue counts).
    constexpr TimeValue Duration() const {
        const long long ticks = static_cast<long long>(end) - start + 1;
        return ticks > TIME_PosInfinity ? TIME_PosInfinity : static_cast<TimeValue>(ticks);
    }

    // Intersection; intervals that do not overlap give the empty interval.
    constexpr Interval operator&(const Interval i) const {
        Interval r;
        r.start = start > i.start ? start : i.start;
        r.end = end < i.end ? end : i.end;
        if (r.end < r.start) r.start = r.end = TIME_NegInfinity;
        return r;
    }
    Interval& operator&=(const Interval i) { return *this = *this & i; }

    // Widens the interval to include t.
    Interval& operator+=(const TimeValue t) {
        if (t < start) start = t;
        if (t > end) end = t;
        return *this;
    }
};

#define FOREVER Interval(TIME_NegInfinity, TIME_PosInfinity)
#define NEVER Interval(TIME_NegInfinity, TIME_NegInfinity)
