#pragma once
// A vertex list with optional texture coordinates and colours, and a count word that nothing in
// the engine interprets. It is stored, loaded and compared; the engine never draws, picks or
// collides it (the framework's own line strips draw their lines themselves).

#include "QrGeometry.h"

#include <cstdint>
#include <memory>

class QrColorA;

class QrLines : public QrGeometry
{
    QR_DECLARE_RTTI
    QR_DECLARE_CREATE

public:
    QrLines();
    // Copies the arrays (each but the vertices may be null). For tools and tests.
    QrLines(uint16_t vertexCount, const QrPoint3* vertices, const QrPoint3* normals, const QrPoint3* textureCoords,
            const QrColorA* colors, uint16_t countWord);

    void LoadBinary(QrStream& stream) override;
    void LinkObject(QrStream& stream) override;
    bool RegisterStreamables(QrStream& stream) override;
    void SaveBinary(QrStream& stream) override;
    bool IsEqual(const QrObject* other) const override;

    // Lines have no normals to compute.
    void CalculateNormals() override;

    uint16_t GetCountWord() const { return m_countWord; }
    // Vertex-count entries each, or null.
    const QrPoint3* GetTextureCoords() const { return m_textureCoords.get(); }
    const QrColorA* GetColors() const { return m_colors.get(); }

protected:
    ~QrLines() override;

    uint16_t m_countWord = 0;
    std::unique_ptr<QrPoint3[]> m_textureCoords;
    std::unique_ptr<QrColorA[]> m_colors;
};
