#include "qrxProgramEntry.h"

#include "WindowBackend.h"

#include <exception>
#include <string>

namespace
{

constexpr int kFailedExit = 1;

int ShowError(plat::WindowBackend* window, const std::string& text)
{
    if (window)
        window->ShowMessageBox("Error", text, plat::MessageBoxButtons::Ok, plat::MessageBoxIcon::Error);
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
