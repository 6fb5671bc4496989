#include "qrxModel.h"

#include "qrxSceneFiles.h"

qrxModel::~qrxModel()
{
    if (m_model)
        DetachChild(m_model.Get());
}

bool qrxModel::Load(const char* path, const char* nodeName)
{
    QrPointer<QrAVObject> model = LoadSceneObject(path, nodeName);
    if (!model)
        return false;
    // One model at a time: the one held before would otherwise linger as a second child.
    if (m_model)
        DetachChild(m_model.Get());
    m_model = model;
    OnModelLoaded(model.Get());
    model->UpdateAllInstances();
    AttachChild(model.Get());
    return true;
}
