#include "BaseObject.h"

BaseObject::~BaseObject()
{
    m_typeTag = 0;
}
