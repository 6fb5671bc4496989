#include "QrMathTestHelpers.h"
#include "QrTestFixture.h"

#include "QrBound.h"
#include "QrColorA.h"
#include "QrMatrix3.h"
#include "QrObject.h"
#include "QrPlane.h"
#include "QrPoint2.h"
#include "QrPoint3.h"
#include "QrQuaternion.h"
#include "QrStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

// Usable before main: the constants are constant-initialised.
static_assert(QrPoint3::ZERO.x == 0.0f && QrPoint2::UNIT_Y.y == 1.0f && QrPoint2::UNIT_X.y == 0.0f);

TEST(QrPoint3Test, UnitizeReturnsOldLength)
{
    QrPoint3 p(3, 0, 4);
    EXPECT_EQ(p.Unitize(), 5.0f);
    EXPECT_EQ(p, QrPoint3(0.6f, 0, 0.8f));

    QrPoint3 zero;
    EXPECT_EQ(zero.Unitize(), 0.0f);
    EXPECT_EQ(zero, QrPoint3::ZERO);

    // At or below 1e-6 the direction is meaningless: the vector becomes zero.
    QrPoint3 tiny(5e-7f, -5e-7f, 0);
    EXPECT_EQ(tiny.Unitize(), 0.0f);
    EXPECT_EQ(tiny, QrPoint3::ZERO);
    QrPoint3 small(2e-6f, 0, 0);
    EXPECT_EQ(small.Unitize(), 2e-6f);
    EXPECT_EQ(small, QrPoint3(1, 0, 0));
}

TEST(QrPoint3Test, CrossIsRightHanded)
{
    EXPECT_EQ(QrPoint3(1, 0, 0).Cross({0, 1, 0}), QrPoint3(0, 0, 1));
    EXPECT_EQ(QrPoint3(0, 0, 1).Cross({1, 0, 0}), QrPoint3(0, 1, 0));
    const QrPoint3 a(1, 2, 3), b(-4, 5, 0.5f);
    EXPECT_EQ(a.Cross(b), QrPoint3(-14, -12.5f, 13));
    EXPECT_EQ(a.Cross(b), -b.Cross(a));
    EXPECT_EQ(a.Cross(b).Dot(a), 0.0f);
}

// Test-only scene object carrying one value of each math type through a scene file.
class QrMathCarrier : public QrObject
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrMathCarrier() = default;

    void LoadBinary(QrStream& stream) override
    {
        QrObject::LoadBinary(stream);
        point.LoadBinary(stream);
        point2.LoadBinary(stream);
        matrix.LoadBinary(stream);
        quat.LoadBinary(stream);
        bound.LoadBinary(stream);
        plane.LoadBinary(stream);
        color.LoadBinary(stream);
    }

    void SaveBinary(QrStream& stream) override
    {
        QrObject::SaveBinary(stream);
        point.SaveBinary(stream);
        point2.SaveBinary(stream);
        matrix.SaveBinary(stream);
        quat.SaveBinary(stream);
        bound.SaveBinary(stream);
        plane.SaveBinary(stream);
        color.SaveBinary(stream);
    }

    bool IsEqual(const QrObject* other) const override
    {
        if (!QrObject::IsEqual(other))
            return false;
        const auto* o = static_cast<const QrMathCarrier*>(other);
        return point == o->point && point2 == o->point2 && matrix == o->matrix && quat == o->quat &&
               bound == o->bound && plane == o->plane && color == o->color;
    }

    QrPoint3 point;
    QrPoint2 point2;
    QrMatrix3 matrix;
    QrQuaternion quat;
    QrBound bound;
    QrPlane plane;
    QrColorA color;

protected:
    ~QrMathCarrier() override = default;
};

QR_IMPLEMENT_RTTI(QrMathCarrier, QrObject)
QR_IMPLEMENT_CREATE(QrMathCarrier)

namespace
{

class QrMathStreamTest : public QrEngineTest
{
protected:
    void SetUp() override
    {
        QrEngineTest::SetUp();
        QrMathCarrier::RegisterCreateFunction();
    }

    static QrPointer<QrMathCarrier> MakeCarrier()
    {
        QrPointer<QrMathCarrier> c(new QrMathCarrier);
        c->point = {1.5f, -2.25f, 1e-30f};
        c->point2 = {-0.0f, 7};
        c->matrix = QrMatrix3(1, 2, 3, 4, 5, 6, 7, 8, 9.5f);
        c->quat = {0.5f, -0.5f, 0.25f, 0.125f};
        c->bound.Set({10, 20, 30}, 40);
        c->plane.Set({0, 1, 0}, -3);
        c->color = {0.1f, 0.2f, 0.3f, 0.4f};
        return c;
    }

    static std::vector<uint8_t> Save(QrObject* object)
    {
        QrStream stream;
        stream.InsertTopLevelObject(object);
        std::vector<uint8_t> bytes;
        EXPECT_TRUE(stream.SaveToMemory(bytes));
        return bytes;
    }

    static void AppendF32(std::vector<uint8_t>& out, float v)
    {
        const uint32_t bits = std::bit_cast<uint32_t>(v);
        for (int shift = 0; shift < 32; shift += 8)
            out.push_back(uint8_t(bits >> shift));
    }
};

} // namespace

TEST_F(QrMathStreamTest, RoundTripThroughSceneFile)
{
    const QrPointer<QrMathCarrier> original = MakeCarrier();
    const std::vector<uint8_t> bytes = Save(original.Get());

    QrStream stream;
    ASSERT_TRUE(stream.LoadFromMemory(bytes.data(), bytes.size()));
    ASSERT_EQ(stream.GetTopLevelCount(), 1u);
    auto* loaded = QrDynamicCast<QrMathCarrier>(stream.GetTopLevelAt(0));
    ASSERT_NE(loaded, nullptr);
    EXPECT_TRUE(loaded->IsEqual(original.Get()));
    EXPECT_EQ(loaded->bound.GetFlag(), 1) << "the flag is not stored: a loaded bound keeps its constructed flag";
    EXPECT_TRUE(std::signbit(loaded->point2.x));
    EXPECT_EQ(Save(loaded), bytes);
}

TEST_F(QrMathStreamTest, FieldsAreLittleEndianFloatsInOrder)
{
    const QrPointer<QrMathCarrier> c = MakeCarrier();
    std::vector<uint8_t> expected;
    for (float v : {c->point.x, c->point.y, c->point.z, c->point2.x, c->point2.y})
        AppendF32(expected, v);
    for (const auto& row : c->matrix.m)
        for (float v : row)
            AppendF32(expected, v);
    for (float v : {c->quat.w, c->quat.x, c->quat.y, c->quat.z})
        AppendF32(expected, v);
    // Bound: centre then radius, no flag byte.
    for (float v : {10.0f, 20.0f, 30.0f, 40.0f})
        AppendF32(expected, v);
    for (float v : {0.0f, 1.0f, 0.0f, -3.0f})
        AppendF32(expected, v);
    for (float v : {0.1f, 0.2f, 0.3f, 0.4f})
        AppendF32(expected, v);
    ASSERT_EQ(expected.size(), 4u * (3 + 2 + 9 + 4 + 4 + 4 + 4));

    const std::vector<uint8_t> bytes = Save(c.Get());
    const auto at = std::search(bytes.begin(), bytes.end(), expected.begin(), expected.end());
    ASSERT_NE(at, bytes.end()) << "field bytes not found in order";
    // Nothing but the end marker follows the record.
    const size_t tail = size_t(bytes.end() - at) - expected.size();
    EXPECT_EQ(tail, 4u + std::char_traits<char>::length("End Of File"));
}

