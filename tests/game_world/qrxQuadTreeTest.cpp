#include "qrxQuadTree.h"

#include "QrTestFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace
{

class qrxQuadTreeTest : public QrEngineTest
{
};

// Leaves below a node, depth first.
int32_t CountLeaves(QrNode* node)
{
    if (node->GetNonEmptyChildCount() == 0)
        return 1;
    int32_t n = 0;
    for (uint32_t i = 0; i < node->GetChildCount(); ++i)
        n += CountLeaves(static_cast<QrNode*>(node->GetChildAt(i)));
    return n;
}

TEST_F(qrxQuadTreeTest, SubdivisionsAreClampedAndLeavesFilledDepthFirst)
{
    const struct
    {
        int32_t asked, used, perSide;
    } cases[] = {{-3, 0, 1}, {0, 0, 1}, {1, 1, 2}, {4, 4, 16}, {8, 8, 256}, {9, 8, 256}};
    for (const auto& c : cases)
    {
        QrPointer<qrxQuadTree> tree(new qrxQuadTree(1.0f, 2.0f, c.asked));
        EXPECT_EQ(tree->GetSubdivisions(), c.used);
        EXPECT_EQ(tree->GetCellsPerSide(), c.perSide);
        EXPECT_EQ(tree->GetCellCount(), c.perSide * c.perSide);
        EXPECT_EQ(CountLeaves(tree.Get()), c.perSide * c.perSide) << c.asked;
        EXPECT_STREQ(tree->GetName(), ("Quad Tree ( x:1.00, z:2.00, sub:" + std::to_string(c.used) + " )").c_str());
        if (c.used == 0)
        {
            EXPECT_EQ(tree->GetCell(0), tree.Get());
        }
    }
    // s = 2: cells 0 to 3 are the four leaves of the first group, cell 4 starts the second.
    QrPointer<qrxQuadTree> tree(new qrxQuadTree(1.0f, 1.0f, 2));
    QrNode* first = static_cast<QrNode*>(tree->GetChildAt(0));
    EXPECT_STREQ(first->GetName(), "QT Subdivision 0");
    EXPECT_STREQ(first->GetChildAt(0)->GetName(), "QT Subdivision 1");
    for (int32_t i = 0; i < 4; ++i)
        EXPECT_EQ(tree->GetCell(i), first->GetChildAt(uint32_t(i)));
    EXPECT_EQ(tree->GetCell(4), static_cast<QrNode*>(tree->GetChildAt(1))->GetChildAt(0));
    EXPECT_EQ(tree->GetCell(16), nullptr);
}

TEST_F(qrxQuadTreeTest, InsertAtPicksTheCellAndRefusesOutsidePoints)
{
    QrPointer<qrxQuadTree> tree(new qrxQuadTree(1.0f, 1.0f, 4));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct
    {
        float u, v;
        int32_t cell; // -1: refused
    } cases[] = {{0.0f, 0.0f, 0},      {1.0f, 1.0f, 255},  {0.0625f, 0.0f, 1},  {0.999f, 0.0f, 15},
                 {0.0f, 0.0625f, 16},  {0.5f, 0.25f, 72},  {1.0001f, 0.5f, -1}, {0.5f, 1.0001f, -1},
                 {-0.0001f, 0.5f, -1}, {0.5f, -1e-7f, -1}, {nan, 0.5f, -1},     {0.5f, nan, -1}};
    for (const auto& c : cases)
    {
        QrPointer<QrNode> item(new QrNode);
        EXPECT_EQ(tree->InsertAt(item.Get(), c.u, c.v), c.cell >= 0) << c.u << " " << c.v;
        if (c.cell >= 0)
        {
            EXPECT_EQ(item->GetParent(), tree->GetCell(c.cell)) << c.u << " " << c.v;
        }
    }
    // Its own only cell: the tree holds the items itself and is freed all the same.
    QrPointer<qrxQuadTree> single(new qrxQuadTree(2.0f, 2.0f, -1));
    QrPointer<QrNode> item(new QrNode);
    EXPECT_TRUE(single->InsertAt(item.Get(), 2.0f, 0.0f));
    EXPECT_EQ(item->GetParent(), single.Get());
    QrPointer<qrxQuadTree> unbounded(new qrxQuadTree(std::numeric_limits<float>::infinity(), 1.0f, 2));
    EXPECT_TRUE(unbounded->InsertAt(QrPointer<QrNode>(new QrNode).Get(), std::numeric_limits<float>::infinity(), 1.0f));
}

} // namespace
