#include "QrSorter.h"

#include "QrAlphaSorter.h"

namespace
{
// Constant-initialised: nodes made before main already get the alpha sorter.
QrSorterFactory g_factory = &QrAlphaSorter::Create;
} // namespace

QrSorter* QrSorter::Create()
{
    return g_factory();
}

QrSorterFactory QrSorter::SetFactory(QrSorterFactory factory)
{
    QrSorterFactory old = g_factory;
    g_factory = factory ? factory : &QrAlphaSorter::Create;
    return old;
}

QrSorterFactory QrSorter::GetFactory()
{
    return g_factory;
}
