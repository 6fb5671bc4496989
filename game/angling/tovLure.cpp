#include "tovLure.h"

#include <utility>

tovLure::tovLure(std::string modelFile, int32_t speciesRow) : m_modelFile(std::move(modelFile)), m_modelRow(speciesRow)
{
}

void tovLure::DecRefCount()
{
    if (--m_refCount == 0)
        delete this;
}

void tovLure::Initialise()
{
    m_position = QrPoint3();
    m_inWater = false;
    m_hidden = false;
}

void tovLure::SetPosture(const QrPoint3& first, const QrPoint3& second)
{
    m_sinkVelocity = QrPoint3(first.x * 200.0f, first.y * 200.0f, first.z * 200.0f);
    m_restOffset = second;
}

void tovLure::SetAttractionValues(float temperature, float clarity, float wave, int32_t speciesRow)
{
    m_attraction = Attraction{temperature, clarity, wave, speciesRow};
}
