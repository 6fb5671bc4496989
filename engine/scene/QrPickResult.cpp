#include "QrPickResult.h"

#include "QrAVObject.h"

QrPickResult::QrPickResult(QrAVObject* object, QrAVInstance* instance) : m_object(object), m_instance(instance) {}

QrPickResult::~QrPickResult() = default;
