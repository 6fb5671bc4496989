#include "QrShadowReceiver.h"

QrShadowReceiver::QrShadowReceiver(QrTriShape* shape, uint32_t instanceIndex)
    : m_shape(shape), m_instanceIndex(instanceIndex)
{
    m_rotation.MakeIdentity();
    if (shape)
        shape->FitOrientedBox(m_boxCenter, m_boxAxes, m_boxExtents);
}
