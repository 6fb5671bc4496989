#pragma once
// The stream helpers every test program shares: save, load, round trip, the stride-1 sweep of
// every prefix, and the damage sweep of larger files (a seeded sample in CI, every offset in
// the "long" label).

#include "QrObject.h"
#include "QrPointer.h"
#include "QrRTTI.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

class QrStream;

namespace streamtest
{

using Bytes = std::vector<uint8_t>;

// The scene file of these top-level objects; a failed save is a test failure.
Bytes Save(std::initializer_list<QrObject*> topLevel);
Bytes Save(const std::vector<QrObject*>& topLevel);
// The top-level objects of the file, held after the stream is gone; empty when it fails.
std::vector<QrPointer<QrObject>> Load(const Bytes& bytes);

// Save, load, compare both ways, save again to the same bytes. Returns the loaded object.
QrPointer<QrObject> RoundTrip(QrObject* object);
template <class T> QrPointer<T> RoundTripAs(QrObject* object)
{
    QrPointer<QrObject> loaded = RoundTrip(object);
    return QrPointer<T>(QrDynamicCast<T>(loaded.Get()));
}

// Every proper prefix fails to load and leaves no object alive (after cleanup, when given);
// the whole file loads. Beyond strideOneBytes (a file of a whole tree), a seeded sample of
// prefixes outside a long run.
void ExpectEveryPrefixFails(const Bytes& bytes, size_t strideOneBytes = SIZE_MAX,
                            const std::function<void()>& cleanup = nullptr);

// True when the "long" label runs (QR_TEST_LONG set): sweeps then cover every offset.
bool LongRun();

// Loads damaged copies of valid: prefixes and 32-bit words overwritten with 0xFFFFFFFF and
// 0x7FFFFFFF, at every offset in a long run, otherwise at samples offsets drawn from a
// seeded generator. load gets each copy and a description of the damage.
void SweepDamage(const Bytes& valid, size_t samples, const std::function<void(const Bytes&, const std::string&)>& load);

} // namespace streamtest
