#pragma once
// One triangle of the pipeline's work list: its corners in drawing order.

struct QrTransformedVertex;

struct QrTriangleRef
{
    QrTransformedVertex* corner[3] = {nullptr, nullptr, nullptr};
};
