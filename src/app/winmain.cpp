#include "app/app_state.h"
#include "app/startup.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    g_app.hInstance = GetModuleHandleW(nullptr);
    ExitProcess(static_cast<UINT>(RunApplication()));
}
