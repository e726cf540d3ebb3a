// Basic host types: time, class and interface identifiers.
#pragma once

#include "maxheap.h"
#include "windows.h"

typedef int TimeValue;
typedef ULONG SClass_ID;

#define TIME_TICKSPERSEC 4800
#define TIME_PosInfinity TimeValue(0x7fffffff)
#define TIME_NegInfinity TimeValue(0x80000000)

// Identifies a plug-in class: two 32-bit halves.
class Class_ID : public MaxHeapOperators {
public:
    constexpr Class_ID() = default;
    constexpr Class_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    constexpr ULONG PartA() const { return a; }
    constexpr ULONG PartB() const { return b; }
    void SetPartA(ULONG aa) { a = aa; }
    void SetPartB(ULONG bb) { b = bb; }
    constexpr int operator==(const Class_ID& c) const { return a == c.a && b == c.b; }
    constexpr int operator!=(const Class_ID& c) const { return a != c.a || b != c.b; }
    constexpr bool operator<(const Class_ID& c) const { return a < c.a || (a == c.a && b < c.b); }

private:
    ULONG a = 0xFFFFFFFF;
    ULONG b = 0xFFFFFFFF;
};

// Identifies a function-publishing interface: two 32-bit halves.
class Interface_ID : public MaxHeapOperators {
public:
    constexpr Interface_ID() = default;
    constexpr Interface_ID(ULONG aa, ULONG bb) : a(aa), b(bb) {}
    constexpr ULONG PartA() const { return a; }
    constexpr ULONG PartB() const { return b; }
    constexpr int operator==(const Interface_ID& c) const { return a == c.a && b == c.b; }
    constexpr int operator!=(const Interface_ID& c) const { return a != c.a || b != c.b; }
    constexpr bool operator<(const Interface_ID& c) const {
        return a < c.a || (a == c.a && b < c.b);
    }

private:
    ULONG a = 0xFFFFFFFF;
    ULONG b = 0xFFFFFFFF;
};
