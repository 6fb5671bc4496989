// The level-of-detail half of QrTerrainPage: the block tree, the cut and vertex activation.

#include "QrTerrainPage.h"

#include "QrCamera.h"
#include "QrDisplay.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>

namespace
{

constexpr float kLargest = 3.4028235e38f;

// g / (g + v)^2: how strongly a vertex error shows at horizontal distance^2 g and vertical
// distance^2 v. A sum that is not positive counts as the largest float.
float ErrorRatio(float g, float v)
{
    const float sum = g + v;
    return sum > 0.0f ? g / (sum * sum) : kLargest;
}

// Squared distances from a coordinate to an interval: 0 inside (near), farther end (far).
void IntervalDistances(float value, float low, float high, float& nearSq, float& farSq)
{
    const float toLow = (value - low) * (value - low);
    const float toHigh = (value - high) * (value - high);
    nearSq = (value >= low && value <= high) ? 0.0f : std::min(toLow, toHigh);
    farSq = std::max(toLow, toHigh);
}

} // namespace

// --- block tree

void QrTerrainPage::BuildNode(uint16_t index, uint8_t column, uint8_t row, uint8_t halfSize, uint8_t diagonal)
{
    QrTerrainNode& node = m_nodes[index];
    node.m_column = column;
    node.m_row = row;
    node.m_halfSize = halfSize;
    node.m_flags = diagonal;
    node.m_lowerBound = 0.0f;
    node.m_upperBound = kLargest;

    const uint32_t h = halfSize;
    const auto height = [&](uint32_t a, uint32_t b) { return GetSampleHeight(column + a, row + b); };
    const float h00 = height(0, 0), h10 = height(h, 0), h20 = height(2 * h, 0);
    const float h01 = height(0, h), h11 = height(h, h), h21 = height(2 * h, h);
    const float h02 = height(0, 2 * h), h12 = height(h, 2 * h), h22 = height(2 * h, 2 * h);
    const auto squared = [](float v) { return v * v; };
    node.m_errors[QrTerrainNode::kBottom] = squared((h00 + h20) / 2 - h10);
    node.m_errors[QrTerrainNode::kRight] = squared((h20 + h22) / 2 - h21);
    node.m_errors[QrTerrainNode::kTop] = squared((h02 + h22) / 2 - h12);
    node.m_errors[QrTerrainNode::kLeft] = squared((h00 + h02) / 2 - h01);
    node.m_errors[QrTerrainNode::kCenter] =
        (diagonal & QrTerrainNode::kDiagonal) ? squared((h20 + h02) / 2 - h11) : squared((h00 + h22) / 2 - h11);
    node.m_subtreeError = *std::max_element(node.m_errors, node.m_errors + QrTerrainNode::kErrorCount);

    node.m_boxMin[0] = float(column) * m_spacing + m_originX;
    node.m_boxMax[0] = float(column + 2 * h) * m_spacing + m_originX;
    node.m_boxMin[1] = float(row) * m_spacing + m_originY;
    node.m_boxMax[1] = float(row + 2 * h) * m_spacing + m_originY;

    // An edge midpoint depends on the centres of the blocks on both sides of its edge, a centre
    // on the ends of its block's diagonal. At a page border one midpoint slot stays free for
    // the twin vertex of the neighbouring page.
    uint32_t v[9];
    GetNodeVertexLinks(node, v);
    QrTerrainVertexLink* links = m_links.get();
    QrTerrainVertexLink* center = &links[v[4]];
    links[v[1]].m_first = center;
    links[v[3]].m_second = center;
    links[v[5]].m_first = center;
    links[v[7]].m_second = center;
    if (diagonal & QrTerrainNode::kDiagonal)
    {
        center->m_first = &links[v[6]];
        center->m_second = &links[v[2]];
    }
    else
    {
        center->m_first = &links[v[0]];
        center->m_second = &links[v[8]];
    }

    if (halfSize == 1)
    {
        const float nine[9] = {h00, h10, h20, h01, h11, h21, h02, h12, h22};
        node.m_boxMin[2] = *std::min_element(nine, nine + 9);
        node.m_boxMax[2] = *std::max_element(nine, nine + 9);
        return;
    }
    const uint8_t half = uint8_t(halfSize / 2);
    const uint16_t first = uint16_t(4 * index + 1);
    const uint8_t columns[4] = {column, uint8_t(column + halfSize), column, uint8_t(column + halfSize)};
    const uint8_t rows[4] = {row, row, uint8_t(row + halfSize), uint8_t(row + halfSize)};
    const uint8_t diagonals[4] = {QrTerrainNode::kDiagonal, 0, 0, QrTerrainNode::kDiagonal};
    for (uint16_t k = 0; k < 4; ++k)
    {
        BuildNode(uint16_t(first + k), columns[k], rows[k], half, diagonals[k]);
        const QrTerrainNode& child = m_nodes[first + k];
        node.m_subtreeError = std::max(node.m_subtreeError, child.m_subtreeError);
        node.m_boxMin[2] = k == 0 ? child.m_boxMin[2] : std::min(node.m_boxMin[2], child.m_boxMin[2]);
        node.m_boxMax[2] = k == 0 ? child.m_boxMax[2] : std::max(node.m_boxMax[2], child.m_boxMax[2]);
    }
}

void QrTerrainPage::GetNodeVertexLinks(const QrTerrainNode& node, uint32_t out[9]) const
{
    const uint32_t n = m_size;
    const uint32_t h = node.m_halfSize;
    const uint32_t c = uint32_t(node.m_row) * n + node.m_column;
    out[0] = c;
    out[1] = c + h;
    out[2] = c + 2 * h;
    out[3] = c + h * n;
    out[4] = c + h * (n + 1);
    out[5] = c + h * (n + 2);
    out[6] = c + 2 * h * n;
    out[7] = c + h * (2 * n + 1);
    out[8] = c + 2 * h * (n + 1);
}

// --- page edges

void QrTerrainPage::LinkColumnEdge(QrTerrainPage* neighbour)
{
    if (!neighbour || neighbour == this || m_size == 0 || neighbour->m_size != m_size)
        return;
    const uint32_t n = m_size;
    for (uint32_t row = 1; row + 1 < n; ++row)
    {
        QrTerrainVertexLink& mine = m_links[row * n + n - 1];
        QrTerrainVertexLink& theirs = neighbour->m_links[row * n];
        theirs.m_first = &mine;
        mine.m_second = &theirs;
    }
}

void QrTerrainPage::LinkRowEdge(QrTerrainPage* neighbour)
{
    if (!neighbour || neighbour == this || m_size == 0 || neighbour->m_size != m_size)
        return;
    const uint32_t n = m_size;
    for (uint32_t column = 1; column + 1 < n; ++column)
    {
        QrTerrainVertexLink& mine = m_links[(n - 1) * n + column];
        QrTerrainVertexLink& theirs = neighbour->m_links[column];
        theirs.m_second = &mine;
        mine.m_first = &theirs;
    }
}

void QrTerrainPage::UnlinkEdges()
{
    if (m_size == 0)
        return;
    const uint32_t n = m_size;
    const QrTerrainVertexLink* begin = m_links.get();
    const QrTerrainVertexLink* end = begin + m_gridVertexCount;
    const std::less<const QrTerrainVertexLink*> before;
    const auto outside = [&](const QrTerrainVertexLink* link)
    { return link && (before(link, begin) || !before(link, end)); };
    const auto unlink = [&](QrTerrainVertexLink& mine)
    {
        for (QrTerrainVertexLink** slot : {&mine.m_first, &mine.m_second})
        {
            QrTerrainVertexLink* partner = *slot;
            if (!outside(partner))
                continue;
            if (partner->m_first == &mine)
                partner->m_first = nullptr;
            if (partner->m_second == &mine)
                partner->m_second = nullptr;
            *slot = nullptr;
        }
    };
    for (uint32_t i = 1; i + 1 < n; ++i)
    {
        unlink(m_links[i]);
        unlink(m_links[(n - 1) * n + i]);
        unlink(m_links[i * n]);
        unlink(m_links[i * n + n - 1]);
    }
}

// --- the ring of the cut

void QrTerrainPage::PushNode(uint16_t index)
{
    // The cut never holds more blocks than the smallest ones: a full ring means a fault, and
    // an entry must not overwrite the head.
    if (m_queuedCount >= m_queueCapacity)
        return;
    m_queue[m_queueTail] = index;
    if (++m_queueTail == m_queueCapacity)
        m_queueTail = 0;
    ++m_queuedCount;
}

uint16_t QrTerrainPage::PopNode()
{
    const uint16_t index = m_queue[m_queueHead];
    if (++m_queueHead == m_queueCapacity)
        m_queueHead = 0;
    --m_queuedCount;
    return index;
}

uint16_t QrTerrainPage::PeekNode(uint16_t k) const
{
    if (m_queueCapacity == 0)
        return 0;
    return m_queue[(uint32_t(m_queueHead) + k) % m_queueCapacity];
}

uint16_t QrTerrainPage::CountQueued() const
{
    if (m_queueHead < m_queueTail)
        return uint16_t(m_queueTail - m_queueHead);
    return uint16_t(m_queueCapacity - m_queueHead + m_queueTail);
}

// --- per frame

void QrTerrainPage::SetPixelTolerance(QrCamera* camera, float tolerance)
{
    m_pixelTolerance = tolerance;
    float right = 0.0f;
    float imageDistance = 0.0f;
    uint32_t width = 0;
    if (camera)
    {
        right = camera->GetFrustum()[QrCamera::kRight];
        // The side values lie on the image plane through the focus, so a pixel's angle is taken
        // there: at the near distance a near plane a hundred times nearer would make it 200 pixels.
        imageDistance = std::fabs(camera->GetLocalFocus().Dot(camera->GetLocalDirection()));
        QrDisplay* display = camera->GetDisplay();
        width = display ? display->GetWidth() : 0;
    }
    // Without a display (or with width 0) no error can be seen: an infinite threshold.
    const float denominator = imageDistance * float(width);
    if (denominator == 0.0f)
    {
        m_errorThreshold = std::numeric_limits<float>::infinity();
        return;
    }
    const float root = 2.0f * right * tolerance / denominator;
    m_errorThreshold = root * root;
}

bool QrTerrainPage::GetModelPlanes(QrCamera* camera, QrPlane out[6]) const
{
    if (!camera)
        return false;
    // n' = R^T n, d' = (d - n . t) / s: the inside stays where n . p >= d.
    const QrAVInstance* self = m_currentInstance;
    const QrMatrix3 transpose = self->m_worldRotate.Transpose();
    const float scale = self->m_worldScale != 0.0f ? self->m_worldScale : 1.0f;
    for (uint32_t i = 0; i < QrCamera::kFrustumPlaneCount; ++i)
    {
        const QrPlane& plane = camera->GetFrustumPlane(i);
        const QrPoint3& n = plane.GetNormal();
        out[i].Set(transpose.TimesPoint(n), (plane.GetConstant() - n.Dot(self->m_worldTranslate)) / scale);
    }
    return true;
}

void QrTerrainPage::TestNodeVisibility(QrTerrainNode& node, const QrPlane planes[6]) const
{
    node.m_flags |= QrTerrainNode::kVisibilityTested;
    const QrPoint3 center((node.m_boxMin[0] + node.m_boxMax[0]) * 0.5f, (node.m_boxMin[1] + node.m_boxMax[1]) * 0.5f,
                          (node.m_boxMin[2] + node.m_boxMax[2]) * 0.5f);
    const QrPoint3 extent((node.m_boxMax[0] - node.m_boxMin[0]) * 0.5f, (node.m_boxMax[1] - node.m_boxMin[1]) * 0.5f,
                          (node.m_boxMax[2] - node.m_boxMin[2]) * 0.5f);
    for (uint32_t i = 0; i < 6; ++i)
    {
        const QrPoint3& n = planes[i].GetNormal();
        const float reach = std::abs(n.x * extent.x) + std::abs(n.y * extent.y) + std::abs(n.z * extent.z);
        if (reach < planes[i].GetConstant() - n.Dot(center))
        {
            node.m_flags &= uint8_t(~QrTerrainNode::kVisible);
            return;
        }
    }
    node.m_flags |= QrTerrainNode::kVisible;
}

bool QrTerrainPage::IsVisible(QrCamera* camera)
{
    QrPlane planes[6];
    if (m_size == 0 || !GetModelPlanes(camera, planes))
        return false;
    QrTerrainNode& root = m_nodes[0];
    TestNodeVisibility(root, planes);
    const bool visible = (root.m_flags & QrTerrainNode::kVisible) != 0;
    root.m_flags &= QrTerrainNode::kDiagonal;
    return visible;
}

void QrTerrainPage::ResetLOD()
{
    if (m_size == 0)
        return;
    m_passCount = CountQueued();
    uint16_t at = m_queueHead;
    for (uint16_t k = 0; k < m_queuedCount; ++k)
    {
        QrTerrainNode& node = m_nodes[m_queue[at]];
        if (node.m_flags & QrTerrainNode::kPassFlags)
        {
            DeactivateNodeVertices(node);
            node.m_flags &= QrTerrainNode::kDiagonal;
        }
        if (++at == m_queueCapacity)
            at = 0;
    }
}

void QrTerrainPage::UpdateLOD(QrCamera* camera, const QrPoint3& eye)
{
    if (m_size == 0 || !camera)
        return;
    if (m_errorThreshold == -1.0f)
        SetPixelTolerance(camera, m_pixelTolerance);
    RefineCut(camera, eye);
    ActivateVertices(eye);
}

void QrTerrainPage::ComputeNodeErrorBounds(QrTerrainNode& node, const QrPoint3& eye) const
{
    const float threshold = m_errorThreshold;
    if (!(threshold > 0.0f))
    {
        node.m_lowerBound = 0.0f;
        node.m_upperBound = kLargest;
        return;
    }
    float verticalNear, verticalFar, nearX, farX, nearY, farY;
    IntervalDistances(eye.z, node.m_boxMin[2], node.m_boxMax[2], verticalNear, verticalFar);
    IntervalDistances(eye.x, node.m_boxMin[0], node.m_boxMax[0], nearX, farX);
    IntervalDistances(eye.y, node.m_boxMin[1], node.m_boxMax[1], nearY, farY);
    const float gNear = nearX + nearY;
    const float gFar = farX + farY;

    const float ratioMin = std::min(ErrorRatio(gNear, verticalFar), ErrorRatio(gFar, verticalFar));
    float ratioMax;
    if (gNear >= verticalNear)
        ratioMax = ErrorRatio(gNear, verticalNear);
    else if (gFar < verticalNear)
        ratioMax = ErrorRatio(gFar, verticalNear);
    else
        ratioMax = verticalNear > 0.0f ? 0.25f / verticalNear : kLargest; // the peak of g / (g + v)^2

    node.m_lowerBound = ratioMax > 0.0f ? threshold / ratioMax : kLargest;
    node.m_upperBound = ratioMin > 0.0f ? threshold / ratioMin : kLargest;
}

void QrTerrainPage::RefineCut(QrCamera* camera, const QrPoint3& eye)
{
    QrPlane planes[6];
    const bool havePlanes = GetModelPlanes(camera, planes);
    constexpr uint8_t kKeep = QrTerrainNode::kDiagonal;

    while (m_passCount != 0)
    {
        const uint16_t index = PopNode();
        QrTerrainNode& node = m_nodes[index];
        if (node.m_flags & QrTerrainNode::kSettled)
        {
            PushNode(index);
            continue;
        }
        --m_passCount;

        // Merge: a first child whose three siblings follow it, when none of the four needs its
        // vertices any more.
        const uint16_t parent = uint16_t((index - 1) / 4);
        if (index > 0 && (index - 1) % 4 == 0 && m_queuedCount >= 3 && PeekNode(2) > 0 &&
            (PeekNode(2) - 1) / 4 == parent)
        {
            bool merge = true;
            for (uint16_t k = 0; k < 4 && merge; ++k)
            {
                QrTerrainNode& sibling = m_nodes[index + k];
                ComputeNodeErrorBounds(sibling, eye);
                merge = sibling.m_lowerBound >= sibling.m_subtreeError;
            }
            if (merge)
            {
                node.m_flags &= kKeep;
                for (int k = 0; k < 3; ++k)
                {
                    QrTerrainNode& sibling = m_nodes[PopNode()];
                    if (!(sibling.m_flags & QrTerrainNode::kSettled))
                        --m_passCount;
                    sibling.m_flags &= kKeep;
                }
                // A block that enters the cut is examined afresh, visibility included.
                m_nodes[parent].m_flags &= kKeep;
                PushNode(parent);
                ++m_passCount;
                continue;
            }
        }

        if (!(node.m_flags & QrTerrainNode::kVisibilityTested))
        {
            if (havePlanes)
                TestNodeVisibility(node, planes);
            else
                node.m_flags |= QrTerrainNode::kVisibilityTested;
        }
        if (node.m_halfSize < 2 || !(node.m_flags & QrTerrainNode::kVisible))
        {
            node.m_flags |= QrTerrainNode::kSettled;
            PushNode(index);
            continue;
        }

        // Split when some child has a vertex that may be seen.
        const uint16_t first = uint16_t(4 * index + 1);
        bool split = false;
        for (uint16_t k = 0; k < 4 && !split; ++k)
        {
            QrTerrainNode& child = m_nodes[first + k];
            ComputeNodeErrorBounds(child, eye);
            split = child.m_lowerBound < child.m_subtreeError;
        }
        if (split)
        {
            for (uint16_t k = 0; k < 4; ++k)
            {
                m_nodes[first + k].m_flags &= kKeep;
                PushNode(uint16_t(first + k));
            }
            m_passCount = uint16_t(m_passCount + 4);
            continue;
        }
        node.m_flags |= QrTerrainNode::kSettled;
        PushNode(index);
    }
}

void QrTerrainPage::ActivateVertices(const QrPoint3& eye)
{
    uint16_t at = m_queueHead;
    for (uint16_t k = 0; k < m_queuedCount; ++k)
    {
        const QrTerrainNode& node = m_nodes[m_queue[at]];
        if (node.m_flags & QrTerrainNode::kVisible)
            ActivateNodeVertices(node, eye);
        if (++at == m_queueCapacity)
            at = 0;
    }
}

void QrTerrainPage::ActivateNodeVertices(const QrTerrainNode& node, const QrPoint3& eye)
{
    uint32_t v[9];
    GetNodeVertexLinks(node, v);
    // In the order of the errors: bottom, right, top, left, centre.
    const uint32_t vertices[QrTerrainNode::kErrorCount] = {v[1], v[5], v[7], v[3], v[4]};
    for (uint32_t k = 0; k < QrTerrainNode::kErrorCount; ++k)
    {
        const float error = node.m_errors[k];
        QrTerrainVertexLink& link = m_links[vertices[k]];
        if (error < node.m_lowerBound || link.IsActive())
            continue;
        if (error > node.m_upperBound || PassesErrorTest(vertices[k], error, eye))
            link.Activate();
    }
    const bool diagonal = (node.m_flags & QrTerrainNode::kDiagonal) != 0;
    for (uint32_t corner : {diagonal ? v[2] : v[0], diagonal ? v[6] : v[8]})
        if (!m_links[corner].IsActive())
            m_links[corner].Activate();
}

void QrTerrainPage::DeactivateNodeVertices(const QrTerrainNode& node)
{
    uint32_t v[9];
    GetNodeVertexLinks(node, v);
    for (uint32_t index : v)
        if (m_links[index].IsActive())
            m_links[index].Deactivate();
}

bool QrTerrainPage::PassesErrorTest(uint32_t gridIndex, float error, const QrPoint3& eye) const
{
    // The vertical error seen from the eye, times the cosine of the elevation, over the
    // distance, against the tolerance: T d^4 < e g^2.
    const QrPoint3 delta = eye - GridPosition(gridIndex);
    const float g2 = delta.x * delta.x + delta.y * delta.y;
    const float d2 = g2 + delta.z * delta.z;
    return m_errorThreshold * d2 * d2 < error * g2;
}
