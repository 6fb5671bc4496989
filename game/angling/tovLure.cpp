#include "tovLure.h"

#include "tovModelFileCache.h"

#include <utility>

namespace
{

class LureModel : public qrxKeyFramedModel
{
protected:
    ~LureModel() override = default;
};

} // namespace

tovLure::tovLure(std::string modelFile, int32_t speciesRow) : m_modelFile(std::move(modelFile)), m_modelRow(speciesRow)
{
    QrPointer<QrNode> node = tovModelFileCache::LoadNode(m_modelFile.c_str(), kModelNode);
    if (!node)
        return;
    m_model = new LureModel;
    m_model->SetName("Lure Model");
    m_model->AttachChild(node.Get());
    m_model->CollectKeyFramed(node.Get());
    m_model->SetScale(kModelScale);
    m_model->UpdateAllInstances();
}

void tovLure::SetPosition(const QrPoint3& position)
{
    m_position = position;
    if (!m_model)
        return;
    m_model->SetTranslate(position.x, position.y, position.z);
    m_model->UpdateAllInstances();
}

void tovLure::SetHidden(bool hidden)
{
    m_hidden = hidden;
    if (m_model)
        m_model->SetAppCulled(hidden ? 1 : 0);
}

void tovLure::DecRefCount()
{
    if (--m_refCount == 0)
        delete this;
}

void tovLure::Initialise()
{
    SetPosition(QrPoint3());
    m_inWater = false;
    SetHidden(false);
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
