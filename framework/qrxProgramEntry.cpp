#include "qrxProgramEntry.h"

#include "WindowBackend.h"

#include <cstdio>
#include <exception>
#include <string>

namespace
{

constexpr int kFailedExit = 1;

int ShowError(plat::WindowBackend* window, const std::string& text)
{
    // Where no box can be shown, standard error is the only place left to say it.
    if (window && window->ShowMessageBox("Error", text, plat::MessageBoxButtons::Ok, plat::MessageBoxIcon::Error) ==
                      plat::MessageBoxAnswer::NotShown)
        std::fprintf(stderr, "Error: %s\n", text.c_str());
    return kFailedExit;
}

} // namespace

int RunGuarded(plat::WindowBackend* window, const std::function<int()>& body)
{
    try
    {
        return body();
    }
    catch (const char* text)
    {
        return ShowError(window, text ? text : "");
    }
    catch (const std::exception& error)
    {
        return ShowError(window, error.what());
    }
}
