#include "bench_floor.h"

#include <richedit.h>

static HWND s_frame = nullptr;
static HWND s_edit = nullptr;
static HMODULE s_lib = nullptr;

static LRESULT CALLBACK FloorProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SIZE && s_edit) {
        MoveWindow(s_edit, 0, 0, LOWORD(lParam), HIWORD(lParam), TRUE);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

HWND CreateFloorWindow()
{
    s_lib = LoadLibraryW(L"Riched20.dll");
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    wc.lpszClassName = L"JotwellBenchFloor";
    RegisterClassExW(&wc);
    s_frame = CreateWindowExW(0, wc.lpszClassName, L"floor", WS_OVERLAPPEDWINDOW, 0, 0, 800, 600, nullptr, nullptr,
                              wc.hInstance, nullptr);
    s_edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", nullptr, 0x50200144, 0, 0, 0, 0, s_frame,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), wc.hInstance, nullptr);
    SendMessageW(s_edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    RECT client = {};
    GetClientRect(s_frame, &client);
    MoveWindow(s_edit, 0, 0, client.right, client.bottom, TRUE);
    ShowWindow(s_frame, SW_SHOW);
    UpdateWindow(s_frame);
    SetFocus(s_edit);
    PumpFloor();
    return s_edit;
}

void DestroyFloorWindow()
{
    DestroyWindow(s_frame);
    s_frame = nullptr;
    s_edit = nullptr;
    PumpFloor();
    UnregisterClassW(L"JotwellBenchFloor", GetModuleHandleW(nullptr));
    if (s_lib) FreeLibrary(s_lib);
    s_lib = nullptr;
}

void PumpFloor()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}
