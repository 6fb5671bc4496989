#include "QrUserAction.h"

QR_IMPLEMENT_RTTI(QrUserAction, QrAction)
QR_IMPLEMENT_ABSTRACT_CREATE(QrUserAction)
