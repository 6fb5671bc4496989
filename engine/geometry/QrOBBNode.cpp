#include "QrOBBNode.h"

#include "QrOBBLeaf.h"

#include <cmath>
#include <vector>

// Per-triangle data of one build, freed when the tree is made.
struct QrOBBNode::BuildContext
{
    QrCollisionData* owner = nullptr;
    const uint16_t* indices = nullptr;
    const QrPoint3* vertices = nullptr;
    uint32_t splitSize = 0;
    std::vector<float> areas;
    std::vector<QrPoint3> centroids;
    // All areas zero: every triangle weighs the same instead.
    bool uniformWeights = false;

    const QrPoint3& Vertex(uint32_t triangle, int k) const { return vertices[indices[3u * triangle + k]]; }
    double Weight(uint32_t triangle) const { return uniformWeights ? 1.0 : areas[triangle]; }
};

std::unique_ptr<QrOBBNode> QrOBBNode::Build(QrCollisionData* owner, uint32_t triangleCount, const uint16_t* indices,
                                            const QrPoint3* modelVertices, uint32_t splitSize)
{
    BuildContext context;
    context.owner = owner;
    context.indices = indices;
    context.vertices = modelVertices;
    context.splitSize = splitSize;
    context.areas.resize(triangleCount);
    context.centroids.resize(triangleCount);
    double total = 0.0;
    for (uint32_t t = 0; t < triangleCount; ++t)
    {
        const QrPoint3& p0 = context.Vertex(t, 0);
        const QrPoint3& p1 = context.Vertex(t, 1);
        const QrPoint3& p2 = context.Vertex(t, 2);
        context.areas[t] = (p1 - p0).Cross(p2 - p0).Length() * 0.5f;
        context.centroids[t] = (p0 + p1 + p2) * 0.33333334f;
        total += context.areas[t];
    }
    context.uniformWeights = !(total > 0.0);

    std::vector<uint32_t> order(triangleCount);
    std::vector<uint32_t> target(triangleCount);
    for (uint32_t t = 0; t < triangleCount; ++t)
        order[t] = t;
    auto root = std::make_unique<QrOBBNode>(owner);
    if (triangleCount > 0)
        root->BuildRange(context, 0, triangleCount - 1, order.data(), target.data());
    return root;
}

void QrOBBNode::BuildRange(BuildContext& context, uint32_t first, uint32_t last, uint32_t* order, uint32_t* target)
{
    FitBox(context, first, last, order);
    if (last - first < context.splitSize)
        return;
    const uint32_t leftEnd = Partition(context, first, last, order, target);
    // The partition wrote into target: the children read from it and write into order.
    m_first = BuildPart(context, first, leftEnd, target, order);
    m_second = BuildPart(context, leftEnd + 1, last, target, order);
}

std::unique_ptr<QrOBB> QrOBBNode::BuildPart(BuildContext& context, uint32_t first, uint32_t last, uint32_t* order,
                                            uint32_t* target)
{
    if (first > last)
        return nullptr;
    if (first == last)
        return QrOBBLeaf::BuildFromTriangle(context.owner, context.indices, context.vertices, order[first]);
    auto node = std::make_unique<QrOBBNode>(context.owner);
    node->BuildRange(context, first, last, order, target);
    return node;
}

void QrOBBNode::FitBox(const BuildContext& context, uint32_t first, uint32_t last, const uint32_t* order)
{
    // Area-weighted mean and covariance of the vertices and centroids of the range.
    double weight = 0.0;
    double mean[3] = {};
    double moment[3][3] = {};
    for (uint32_t pos = first; pos <= last; ++pos)
    {
        const uint32_t t = order[pos];
        const double w = context.Weight(t);
        const QrPoint3& c = context.centroids[t];
        const QrPoint3 points[4] = {context.Vertex(t, 0), context.Vertex(t, 1), context.Vertex(t, 2), c};
        weight += w;
        mean[0] += w * c.x;
        mean[1] += w * c.y;
        mean[2] += w * c.z;
        for (const QrPoint3& p : points)
        {
            const double v[3] = {p.x, p.y, p.z};
            for (int i = 0; i < 3; ++i)
                for (int j = 0; j < 3; ++j)
                    moment[i][j] += w * v[i] * v[j];
        }
    }
    if (!(weight > 0.0))
        weight = 1.0; // a range of triangles without area: every sum above is 0
    for (double& m : mean)
        m /= weight;
    QrMatrix3 covariance;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            covariance.m[i][j] = float(moment[i][j] * 0.25 / weight - mean[i] * mean[j]);
    float values[3];
    QrMatrix3 vectors;
    covariance.SymmetricEigen(values, vectors);
    QrPoint3 axes[3];
    for (int i = 0; i < 3; ++i)
        axes[i] = vectors.GetRow(i);

    const QrPoint3 m{float(mean[0]), float(mean[1]), float(mean[2])};
    float low[3] = {}, high[3] = {};
    bool firstPoint = true;
    for (uint32_t pos = first; pos <= last; ++pos)
        for (int k = 0; k < 3; ++k)
        {
            const QrPoint3 q = context.Vertex(order[pos], k) - m;
            for (int i = 0; i < 3; ++i)
            {
                const float s = q.Dot(axes[i]);
                low[i] = firstPoint ? s : std::fmin(low[i], s);
                high[i] = firstPoint ? s : std::fmax(high[i], s);
            }
            firstPoint = false;
        }
    QrPoint3 center = m;
    for (int i = 0; i < 3; ++i)
    {
        center += axes[i] * ((high[i] + low[i]) * 0.5f);
        m_modelAxes[i] = axes[i];
    }
    m_modelCenter = center;
    m_modelExtents = QrPoint3((high[0] - low[0]) * 0.5f, (high[1] - low[1]) * 0.5f, (high[2] - low[2]) * 0.5f);
    QrMatrix3 identity;
    identity.MakeIdentity();
    Transform(identity, QrPoint3::ZERO, 1.0f);
}

uint32_t QrOBBNode::Partition(const BuildContext& context, uint32_t first, uint32_t last, const uint32_t* order,
                              uint32_t* target) const
{
    const uint32_t middle = first + (last - first) / 2;
    for (const QrPoint3& axis : m_modelAxes)
    {
        uint32_t front = first;
        uint32_t back = last;
        for (uint32_t pos = first; pos <= last; ++pos)
        {
            const uint32_t t = order[pos];
            const float s = (context.centroids[t] - m_modelCenter).Dot(axis);
            if (s > 0.0f || (s == 0.0f && pos <= middle))
                target[front++] = t;
            else
                target[back--] = t;
        }
        // front - first triangles went left; both parts non-empty ends the search.
        if (front != first && front != last + 1)
            return front - 1;
    }
    // No axis separates the centroids: split the range in the middle, order unchanged.
    for (uint32_t pos = first; pos <= last; ++pos)
        target[pos] = order[pos];
    return middle;
}

bool QrOBBNode::Test(QrOBB* other, int32_t budget, int32_t otherBudget)
{
    if (!other || !OverlapsMoving(*other))
        return false;
    if (budget == 0 || !HasChildren())
        return true;
    QrOBB* mine[2] = {m_first.get(), m_second.get()};
    if (other->IsLeaf())
    {
        for (QrOBB* child : mine)
            if (child && child->Test(other, budget - 1, otherBudget))
                return true;
        return false;
    }
    if (!other->HasChildren())
        return true;
    QrOBB* theirs[2] = {other->GetFirstChild(), other->GetSecondChild()};
    for (QrOBB* child : mine)
        for (QrOBB* otherChild : theirs)
            if (child && child->Test(otherChild, budget - 1, otherBudget - 1))
                return true;
    return false;
}

int32_t QrOBBNode::Find(QrOBB* other, QrAVObject* objectA, QrAVObject* objectB, int32_t budget, int32_t otherBudget)
{
    if (!other || !OverlapsMoving(*other))
        return 0;
    if (budget == 0 || otherBudget == 0 || !HasChildren())
        return BoxContact(*other, objectA, objectB);
    if (m_first && m_first->Find(other, objectA, objectB, budget - 1, otherBudget) == 1)
        return 1;
    return m_second && m_second->Find(other, objectA, objectB, budget - 1, otherBudget) == 1 ? 1 : 0;
}
