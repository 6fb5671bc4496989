#include "QrAVInstance.h"

QrAVInstance::QrAVInstance()
{
    m_worldRotate.MakeIdentity();
}
