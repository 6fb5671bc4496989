#include "qrxAttrib.h"

QR_IMPLEMENT_RTTI(qrxAttrib, QrObject)
