#pragma once
// The program entry's guard: the framework's input devices and generator throw their message
// texts; the entry runs the application inside this so such a failure ends in a box titled
// "Error" with the text instead of an abort.

#include <functional>

namespace plat
{
class WindowBackend;
}

// The body's exit code, or 1 after showing the message of an exception it threw.
int RunGuarded(plat::WindowBackend* window, const std::function<int()>& body);
