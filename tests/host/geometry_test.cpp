// Geometry and time types of the host stand-in.
#include "acolor.h"
#include "interval.h"
#include "point3.h"
#include "strclass.h"

#include <gtest/gtest.h>

#include <cmath>

TEST(Point3, NormalizeGivesUnitLengthAndZeroStaysZero) {
    const Point3 n = Normalize(Point3(3.0f, 0.0f, 4.0f));
    EXPECT_FLOAT_EQ(n.x, 0.6f);
    EXPECT_FLOAT_EQ(n.z, 0.8f);
    EXPECT_FLOAT_EQ(Length(n), 1.0f);

    const Point3 zero = Normalize(Point3(0.0f, 0.0f, 0.0f));
    EXPECT_EQ(zero, Point3(0.0f, 0.0f, 0.0f));
    EXPECT_FALSE(std::isnan(zero.x));
}

TEST(Point3, CrossProductIsRightHandedAndDotIsPercent) {
    const Point3 x(1.0f, 0.0f, 0.0f), y(0.0f, 1.0f, 0.0f);
    EXPECT_EQ(CrossProd(x, y), Point3(0.0f, 0.0f, 1.0f));
    EXPECT_EQ(x ^ y, CrossProd(x, y));
    EXPECT_FLOAT_EQ(Point3(1, 2, 3) % Point3(4, 5, 6), 32.0f);
    EXPECT_FLOAT_EQ(DotProd(Point3(1, 2, 3), Point3(4, 5, 6)), 32.0f);
    EXPECT_EQ(Point3(1, 2, 3) * Point3(4, 5, 6), Point3(4, 10, 18));
}

TEST(Color, ClampMinMaxClampsEveryChannelInPlace) {
    Color c(-0.5f, 0.25f, 7.0f);
    c.ClampMinMax();
    EXPECT_EQ(c, Color(0.0f, 0.25f, 1.0f));
    EXPECT_FLOAT_EQ(Intens(Color(0.3f, 0.6f, 0.9f)), 0.6f);
    const AColor a(Color(0.1f, 0.2f, 0.3f));
    EXPECT_FLOAT_EQ(a.a, 1.0f);
}

TEST(Interval, SpecialIntervalsAndContainment) {
    EXPECT_TRUE(FOREVER.InInterval(0));
    EXPECT_TRUE(FOREVER.InInterval(TIME_PosInfinity));
    EXPECT_FALSE(FOREVER.InInterval(TIME_NegInfinity));  // the empty marker is in nothing
    EXPECT_FALSE(NEVER.InInterval(0));
    EXPECT_FALSE(NEVER.InInterval(TIME_NegInfinity));
    EXPECT_TRUE(NEVER.Empty());
    EXPECT_TRUE(Interval().Empty());
    EXPECT_EQ(Interval(10, 5), Interval(5, 10));
    EXPECT_TRUE(Interval(5, 10).InInterval(5));
    EXPECT_TRUE(Interval(5, 10).InInterval(10));
    EXPECT_FALSE(Interval(5, 10).InInterval(11));
}

TEST(Interval, IntersectionAsTheHostDefinesIt) {
    EXPECT_EQ(FOREVER & Interval(3, 9), Interval(3, 9));
    EXPECT_EQ(Interval(3, 9) & NEVER, NEVER);
    EXPECT_EQ(Interval(0, 10) & Interval(5, 20), Interval(5, 10));
    EXPECT_EQ(Interval(0, 4) & Interval(5, 20), NEVER);
    Interval i = FOREVER;
    i &= Interval(160, 160);
    EXPECT_EQ(i, Interval(160, 160));
}

TEST(Strings, SplitFilenameSeparatesFolderNameAndExtension) {
    WStr p, f, e;
    SplitFilename(WStr(L"c:\\mydir\\myfile.txt"), &p, &f, &e);
    EXPECT_EQ(p, WStr(L"c:\\mydir"));
    EXPECT_EQ(f, WStr(L"myfile"));
    EXPECT_EQ(e, WStr(L".txt"));
    SplitFilename(WStr(L"/a.b/noext"), &p, &f, nullptr);
    EXPECT_EQ(p, WStr(L"/a.b"));
    EXPECT_EQ(f, WStr(L"noext"));
}
