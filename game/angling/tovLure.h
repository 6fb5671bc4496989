#pragma once
// The lure on the line: its model file and species-attraction row, its posture and the
// attribute record that the fish's lure-attraction test reads, and the 3D model built from the
// file (the "Lure" node of a data file, its moving parts key-framed). Reference counted.

#include "qrxKeyFramedModel.h"

#include "QrPoint3.h"
#include "QrPointer.h"

#include <cstdint>
#include <string>

class tovLure
{
public:
    // The attribute record the fish read.
    struct Attraction
    {
        float temperature = 0.0f;
        float clarity = 0.0f;
        float wave = 1.0f;
        int32_t speciesRow = 0;
    };

    // The node of a lure file that holds the lure.
    static constexpr const char* kModelNode = "Lure";
    // Lure models are two units long (1 ft = 0.01 units). A lure is drawn more than twice life
    // size, seven inches: at three inches it is a pixel or two at casting distance.
    static constexpr float kModelScale = 0.006f / 2.0f;

    // Builds the model from the file in the data folder; a file that cannot be read leaves
    // the lure without a model, fishing all the same.
    tovLure(std::string modelFile, int32_t speciesRow);
    tovLure(const tovLure&) = delete;
    tovLure& operator=(const tovLure&) = delete;

    void IncRefCount() { ++m_refCount; }
    void DecRefCount();
    uint32_t GetRefCount() const { return m_refCount; }

    // Ready to fish: at rest, posture and visibility as set.
    void Initialise();

    // Stores the sink/dive vector (times 200) and the rest offset while retrieved.
    void SetPosture(const QrPoint3& first, const QrPoint3& second);
    const QrPoint3& GetSinkVelocity() const { return m_sinkVelocity; }
    const QrPoint3& GetRestOffset() const { return m_restOffset; }

    void SetAttractionValues(float temperature, float clarity, float wave, int32_t speciesRow);
    const Attraction& GetAttraction() const { return m_attraction; }

    // The line's visibility (0..1), handed over by the tackle.
    void SetLineVisibility(float visibility) { m_lineVisibility = visibility; }
    float GetLineVisibility() const { return m_lineVisibility; }

    const std::string& GetModelFile() const { return m_modelFile; }
    int32_t GetModelRow() const { return m_modelRow; }

    // Where the lure is in the world and whether it is in the water.
    const QrPoint3& GetPosition() const { return m_position; }
    // Moves the model along.
    void SetPosition(const QrPoint3& position);
    bool IsInWater() const { return m_inWater; }
    void SetInWater(bool inWater) { m_inWater = inWater; }

    // Hidden lures are not drawn and not seen by fish.
    void SetHidden(bool hidden);
    bool IsHidden() const { return m_hidden; }

    // The scene model, stepped as an idle object by whoever shows it; null without a model.
    qrxKeyFramedModel* GetModel() const { return m_model.Get(); }

private:
    ~tovLure() = default;

    uint32_t m_refCount = 0;
    std::string m_modelFile;
    int32_t m_modelRow = 0;
    QrPoint3 m_sinkVelocity;
    QrPoint3 m_restOffset;
    Attraction m_attraction;
    float m_lineVisibility = 0.0f;
    QrPoint3 m_position;
    bool m_inWater = false;
    bool m_hidden = false;
    QrPointer<qrxKeyFramedModel> m_model;
};
