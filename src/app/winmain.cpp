#include "app/startup.h"
#include "base/app_state.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    g_app.hInstance = GetModuleHandleW(nullptr);
    ExitProcess(static_cast<UINT>(RunApplication()));
}
