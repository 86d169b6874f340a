#include "bench_floor.h"

#include <richedit.h>

#include <cstdlib>
#include <cstring>

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
    CreateFloorControl(0x50200144);
    ShowWindow(s_frame, SW_SHOW);
    UpdateWindow(s_frame);
    SetFocus(s_edit);
    PumpFloor();
    return s_edit;
}

HWND CreateFloorControl(DWORD style)
{
    RECT client = {};
    GetClientRect(s_frame, &client);
    s_edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"RichEdit20W", nullptr, style, 0, 0, client.right, client.bottom,
                             s_frame, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100)), GetModuleHandleW(nullptr),
                             nullptr);
    SendMessageW(s_edit, EM_EXLIMITTEXT, 0, 0x7FFFFFFE);
    return s_edit;
}

namespace {

struct FloorSource {
    const wchar_t* text;
    size_t length;
    size_t pos;
};

DWORD CALLBACK FloorRead(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* got)
{
    auto* source = reinterpret_cast<FloorSource*>(cookie);
    size_t units = static_cast<size_t>(cb) / sizeof(wchar_t);
    if (units > source->length - source->pos) units = source->length - source->pos;
    const size_t end = source->pos + units;
    if (units > 1 && end < source->length &&
        ((source->text[end - 1] == L'\r' && source->text[end] == L'\n') || IS_HIGH_SURROGATE(source->text[end - 1])))
        --units;
    memcpy(buffer, source->text + source->pos, units * sizeof(wchar_t));
    source->pos += units;
    *got = static_cast<LONG>(units * sizeof(wchar_t));
    return 0;
}

struct FloorSink {
    wchar_t* text;
    size_t length;
    size_t room;
};

DWORD CALLBACK FloorWrite(DWORD_PTR cookie, LPBYTE buffer, LONG cb, LONG* took)
{
    auto* sink = reinterpret_cast<FloorSink*>(cookie);
    const size_t units = static_cast<size_t>(cb) / sizeof(wchar_t);
    if (sink->length + units + 1 > sink->room) {
        sink->room = (sink->length + units + 1) * 2;
        sink->text = static_cast<wchar_t*>(realloc(sink->text, sink->room * sizeof(wchar_t)));
    }
    memcpy(sink->text + sink->length, buffer, units * sizeof(wchar_t));
    sink->length += units;
    *took = cb;
    return 0;
}

} // namespace

void FloorStreamIn(HWND edit, const wchar_t* text, size_t length)
{
    FloorSource source = {text, length, 0};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&source), 0, FloorRead};
    SendMessageW(edit, EM_STREAMIN, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
}

void FloorStreamOut(HWND edit, wchar_t*& out, size_t& length)
{
    // Sized from the start, as a copy by WM_GETTEXT would be.
    const auto room = static_cast<size_t>(SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0)) + 1;
    FloorSink sink = {static_cast<wchar_t*>(malloc(room * sizeof(wchar_t))), 0, room};
    EDITSTREAM stream = {reinterpret_cast<DWORD_PTR>(&sink), 0, FloorWrite};
    SendMessageW(edit, EM_STREAMOUT, SF_TEXT | SF_UNICODE, reinterpret_cast<LPARAM>(&stream));
    out = sink.text;
    length = sink.length;
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
