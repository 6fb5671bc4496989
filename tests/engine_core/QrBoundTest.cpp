#include "QrMathTestHelpers.h"

#include "QrBound.h"
#include "QrMatrix3.h"
#include "QrPlane.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

QrBound Sphere(float x, float y, float z, float radius)
{
    QrBound b;
    b.Set({x, y, z}, radius);
    return b;
}

// The merged sphere must hold both inputs (with rounding slack).
void ExpectContains(const QrBound& outer, const QrBound& inner)
{
    const double gap = (outer.GetCenter() - inner.GetCenter()).Length() + inner.GetRadius() - outer.GetRadius();
    EXPECT_LE(gap, 1e-5) << ::testing::PrintToString(inner) << " not in " << ::testing::PrintToString(outer);
}

} // namespace

TEST(QrBoundTest, FlagIsSetOnConstructionAndClearedByAssignments)
{
    QrBound b;
    EXPECT_EQ(b.GetFlag(), 1);
    EXPECT_EQ(b.GetCenter(), QrPoint3::ZERO);
    EXPECT_EQ(b.GetRadius(), 0.0f);

    QrBound c;
    c.Set(Sphere(1, 2, 3, 4));
    EXPECT_EQ(c.GetFlag(), 0);
    EXPECT_EQ(c, Sphere(1, 2, 3, 4));

    QrBound t;
    t.Transform(Sphere(1, 0, 0, 1), Identity(), QrPoint3::ZERO, 1);
    EXPECT_EQ(t.GetFlag(), 0);

    // IsEqual ignores the flag.
    QrBound fresh;
    QrBound zero = Sphere(0, 0, 0, 0);
    EXPECT_TRUE(fresh.IsEqual(zero));
}

TEST(QrBoundTest, SetFromPointsUsesTheMiddleOfTheBox)
{
    // The middle of the box, not the mean of the points.
    const QrPoint3 points[] = {{0, 0, 0}, {10, 0, 0}, {1, 0, 0}, {1, 2, 0}};
    QrBound b;
    b.SetFromPoints(4, points);
    EXPECT_EQ(b.GetCenter(), QrPoint3(5, 1, 0));
    EXPECT_FLOAT_EQ(b.GetRadius(), std::sqrt(26.0f));
    EXPECT_EQ(b.GetFlag(), 0);

    QrBound one;
    one.SetFromPoints(1, points + 3);
    EXPECT_EQ(one, Sphere(1, 2, 0, 0));

    // No points: zero sphere, flag untouched.
    QrBound none = Sphere(3, 3, 3, 3);
    none.SetFlag(1);
    none.SetFromPoints(0, points);
    EXPECT_EQ(none, Sphere(0, 0, 0, 0));
    EXPECT_EQ(none.GetFlag(), 1);
    none.SetFromPoints(-2, nullptr);
    EXPECT_EQ(none.GetFlag(), 1);
}

TEST(QrBoundTest, TransformRotatesScalesThenTranslates)
{
    QrMatrix3 quarterZ(0, -1, 0, 1, 0, 0, 0, 0, 1); // +x -> +y
    QrBound world;
    world.Transform(Sphere(1, 2, 3, 0.5f), quarterZ, {10, 20, 30}, 2);
    EXPECT_EQ(world, Sphere(6, 22, 36, 1));
}

TEST(QrBoundTest, MergeOfContainedBounds)
{
    QrBound b;
    const QrBound bigFirst[] = {Sphere(0, 0, 0, 5), Sphere(1, 1, 0, 1)};
    EXPECT_TRUE(b.Merge(2, bigFirst));
    EXPECT_EQ(b, Sphere(0, 0, 0, 5));

    const QrBound smallFirst[] = {Sphere(1, 1, 0, 1), Sphere(0, 0, 0, 5)};
    EXPECT_FALSE(b.Merge(2, smallFirst)) << "same sphere as before";
    EXPECT_EQ(b, Sphere(0, 0, 0, 5));

    // Internally tangent counts as contained.
    const QrBound tangent[] = {Sphere(0, 0, 0, 1), Sphere(2, 0, 0, 3)};
    EXPECT_TRUE(b.Merge(2, tangent));
    EXPECT_EQ(b, Sphere(2, 0, 0, 3));
}

TEST(QrBoundTest, MergeOfDisjointAndOverlappingBounds)
{
    QrBound b;
    const QrBound apart[] = {Sphere(-3, 0, 0, 1), Sphere(3, 0, 0, 1)};
    EXPECT_TRUE(b.Merge(2, apart));
    EXPECT_TRUE(Near(b.GetCenter(), {0, 0, 0}));
    EXPECT_FLOAT_EQ(b.GetRadius(), 4);

    // Unequal and overlapping: touches the far side of each.
    const QrBound overlap[] = {Sphere(0, 0, 0, 2), Sphere(0, 3, 0, 4)};
    EXPECT_TRUE(b.Merge(2, overlap));
    EXPECT_TRUE(Near(b.GetCenter(), {0, 2.5f, 0}));
    EXPECT_FLOAT_EQ(b.GetRadius(), 4.5f);

    // Three in a row: grown in order, and holding all of them.
    const QrBound row[] = {Sphere(0, 0, 0, 1), Sphere(0, 0, 4, 1), Sphere(5, 0, 0, 2)};
    EXPECT_TRUE(b.Merge(3, row));
    for (const QrBound& part : row)
        ExpectContains(b, part);
}

TEST(QrBoundTest, MergeWithCoincidentCentres)
{
    QrBound b;
    const QrBound same[] = {Sphere(1, 1, 1, 2), Sphere(1, 1, 1, 3)};
    EXPECT_TRUE(b.Merge(2, same));
    EXPECT_EQ(b, Sphere(1, 1, 1, 3));

    const QrBound smallerSecond[] = {Sphere(1, 1, 1, 3), Sphere(1, 1, 1, 2)};
    EXPECT_FALSE(b.Merge(2, smallerSecond));
    EXPECT_EQ(b, Sphere(1, 1, 1, 3));

    // Centres 1e-7 apart with equal radii: not contained, but the centre must not move
    // along an undefined direction.
    const QrBound close[] = {Sphere(0, 0, 0, 1), Sphere(1e-7f, 0, 0, 1)};
    EXPECT_TRUE(b.Merge(2, close));
    EXPECT_EQ(b.GetCenter(), QrPoint3::ZERO);
    EXPECT_NEAR(b.GetRadius(), 1.0, 1e-6);
    EXPECT_FALSE(std::isnan(b.GetRadius()));
}

TEST(QrBoundTest, MergeReportsNoChangeWithinTolerance)
{
    QrBound b = Sphere(1, 2, 3, 4);
    b.SetFlag(1);
    const QrBound single[] = {Sphere(1, 2, 3, 4)};
    EXPECT_FALSE(b.Merge(1, single));
    EXPECT_EQ(b.GetFlag(), 0) << "the flag is cleared even without a change";

    // Within 1e-6 the stored value is kept as it was, not replaced.
    const QrBound nudged[] = {Sphere(1, 2, 3.0000002f, 4.0000005f)};
    EXPECT_FALSE(b.Merge(1, nudged));
    EXPECT_EQ(b, Sphere(1, 2, 3, 4));

    const QrBound moved[] = {Sphere(1, 2, 3.001f, 4)};
    EXPECT_TRUE(b.Merge(1, moved));
    EXPECT_EQ(b, moved[0]);
    const QrBound grown[] = {Sphere(1, 2, 3.001f, 4.001f)};
    EXPECT_TRUE(b.Merge(1, grown));
    EXPECT_EQ(b, grown[0]);

    // Nothing to merge: nothing happens.
    EXPECT_FALSE(b.Merge(0, single));
    EXPECT_EQ(b, grown[0]);
}

TEST(QrBoundTest, IsInsideAllowsATenThousandth)
{
    const QrBound outer = Sphere(0, 0, 0, 5);
    EXPECT_TRUE(Sphere(1, 0, 0, 1).IsInside(outer));
    EXPECT_TRUE(Sphere(4, 0, 0, 1).IsInside(outer));
    EXPECT_TRUE(Sphere(4.00005f, 0, 0, 1).IsInside(outer));
    EXPECT_FALSE(Sphere(4.001f, 0, 0, 1).IsInside(outer));
    EXPECT_FALSE(outer.IsInside(Sphere(1, 0, 0, 1)));
    EXPECT_TRUE(outer.IsInside(outer));
}

TEST(QrBoundTest, WhichSideOfPlane)
{
    const QrPlane ground({0, 1, 0}, 2.0f); // y = 2, normal up
    EXPECT_EQ(Sphere(0, 5, 0, 1).WhichSide(ground), QrPlane::kPositiveSide);
    EXPECT_EQ(Sphere(0, -5, 0, 1).WhichSide(ground), QrPlane::kNegativeSide);
    EXPECT_EQ(Sphere(0, 2.5f, 0, 1).WhichSide(ground), QrPlane::kOnPlane);
    // Touching counts as wholly on that side.
    EXPECT_EQ(Sphere(0, 3, 0, 1).WhichSide(ground), QrPlane::kPositiveSide);
    EXPECT_EQ(Sphere(0, 1, 0, 1).WhichSide(ground), QrPlane::kNegativeSide);
    // A point on the plane meets the behind test first.
    EXPECT_EQ(Sphere(7, 2, 0, 0).WhichSide(ground), QrPlane::kNegativeSide);
}

TEST(QrBoundTest, SweptIntersect)
{
    const QrPoint3 still = QrPoint3::ZERO;
    const QrBound a = Sphere(0, 0, 0, 1);

    // Resting.
    EXPECT_TRUE(a.SweptIntersect(still, Sphere(1.5f, 0, 0, 1), still));
    EXPECT_TRUE(a.SweptIntersect(still, Sphere(2, 0, 0, 1), still)) << "touching counts";
    EXPECT_FALSE(a.SweptIntersect(still, Sphere(2.01f, 0, 0, 1), still));

    // Passing through each other within the step, apart at both ends.
    const QrBound b = Sphere(10, 0.5f, 0, 1);
    EXPECT_TRUE(a.SweptIntersect({10, 0, 0}, Sphere(10, 0.5f, 0, 1), {-10, 0, 0}));
    EXPECT_TRUE(QrBound::SweptIntersect(a, {20, 0, 0}, b, still));
    // The same paths offset sideways miss.
    EXPECT_FALSE(a.SweptIntersect({20, 0, 0}, Sphere(10, 2.5f, 0, 1), still));

    // Closest approach would come after the step (s > 1): only the end counts.
    EXPECT_FALSE(a.SweptIntersect({6, 0, 0}, b, still));
    EXPECT_TRUE(a.SweptIntersect({8.2f, 0, 0}, b, still));
    // Moving apart (s < 0): only the start counts.
    EXPECT_FALSE(a.SweptIntersect({-5, 0, 0}, b, still));
    EXPECT_TRUE(a.SweptIntersect({-5, 0, 0}, Sphere(1.5f, 0, 0, 1), still));
    // Apart and moving further apart: the line through the motion passes close, the step does not.
    EXPECT_FALSE(a.SweptIntersect({-6, 0, 0}, Sphere(3, 0.5f, 0, 1), still));

    // Parallel motion keeps the separation.
    EXPECT_FALSE(a.SweptIntersect({3, 3, 0}, Sphere(3, 0, 0, 1), {3, 3, 0}));
    EXPECT_TRUE(a.SweptIntersect({3, 3, 0}, Sphere(1.9f, 0, 0, 1), {3, 3, 0}));
}

TEST(QrPlaneTest, SidesOfPoints)
{
    const QrPlane p({1, 0, 0}, QrPoint3(3, 7, -2)); // x = 3
    EXPECT_EQ(p.GetConstant(), 3.0f);
    EXPECT_EQ(p.WhichSide({4, 0, 0}), QrPlane::kPositiveSide);
    EXPECT_EQ(p.WhichSide({2, 0, 0}), QrPlane::kNegativeSide);
    EXPECT_EQ(p.WhichSide({3, 100, -100}), QrPlane::kOnPlane);

    QrPlane q;
    EXPECT_EQ(q.WhichSide({1, 2, 3}), QrPlane::kOnPlane) << "the default plane has a zero normal";
    q.Set({1, 0, 0}, 3);
    EXPECT_EQ(q, p);
    q.Set({1, 0, 0}, 3.0001f);
    EXPECT_NE(q, p);
}
