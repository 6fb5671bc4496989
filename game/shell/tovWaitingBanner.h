#pragma once
// The "waiting for the other players" banner that a network copy shows while it waits: on the
// start of the day, on the set-up while the last game is weighed, and on the way to the lake
// before the host's day.

#include "QrImage.h"
#include "QrPointer.h"

#include <functional>

namespace tovWaitingBanner
{

// The banner's picture; null where nothing is drawn.
QrPointer<QrImage> Load();
// At its place on the back buffer.
void Draw(QrImage* banner);
// A blocking wait (a Net… wait) with the screen cleared under the banner on every pass, the box
// Escape raises standing over it; presented once before it when showFirst. The wait's answer.
bool Wait(const std::function<bool()>& wait, bool showFirst);

} // namespace tovWaitingBanner
