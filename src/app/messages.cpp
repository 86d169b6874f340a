#include "app/messages.h"

#include "app/app_state.h"

void ShowOutOfMemoryMessage()
{
    MessageBoxW(g_app.hwndMain, L"Cannot open file. Not enough memory.", L"Jotwell", MB_ICONERROR);
}
