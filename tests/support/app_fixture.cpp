#include "support/app_fixture.h"

#include "app/startup.h"
#include "document/document.h"
#include "editor/status_text.h"

#include <richedit.h>
#include <commctrl.h>

#include <shlobj.h>

#include <atomic>
#include <cstring>
#include <cwchar>
#include <vector>

bool Pump(int* quitCode)
{
    bool quit = false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            quit = true;
            if (quitCode) *quitCode = static_cast<int>(msg.wParam);
            continue;
        }
        ProcessLoopMessage(msg);
    }
    return quit;
}

void PumpUntilLoaded()
{
    do Pump();
    while (DoIdleWork());
    Pump();
}

void StartJotwell()
{
    g_app = AppState{};
    g_app.hInstance = GetModuleHandleW(nullptr);
    HoldKeys({});
    ASSERT_TRUE(StartApplication());
    Pump();
}

void StopJotwell()
{
    HoldKeys({});
    if (g_app.hwndMain && IsWindow(g_app.hwndMain)) {
        if (g_app.hwndEdit) SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
        DestroyWindow(g_app.hwndMain);
    }
    Pump();
    UnregisterClassW(kMainClassName, g_app.hInstance);
}

void HoldKeys(std::initializer_list<int> down)
{
    BYTE state[256] = {};
    GetKeyboardState(state);
    for (int vk : {VK_CONTROL, VK_LCONTROL, VK_RCONTROL, VK_MENU, VK_LMENU, VK_RMENU, VK_SHIFT, VK_LSHIFT, VK_RSHIFT})
        state[vk] = 0;
    for (int vk : down) state[vk] = 0x80;
    SetKeyboardState(state);
}

void PressKey(UINT vk, std::initializer_list<int> modifiers)
{
    HoldKeys(modifiers);
    HWND target = GetFocus();
    if (!target) target = g_app.hwndEdit;
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    PostMessageW(target, WM_KEYDOWN, vk, 1 | (static_cast<LPARAM>(scan) << 16));
    Pump();
    PostMessageW(target, WM_KEYUP, vk, 1 | (static_cast<LPARAM>(scan) << 16) | (1u << 30) | (1u << 31));
    Pump();
    HoldKeys({});
}

void SendCommand(UINT id)
{
    SendMessageW(g_app.hwndMain, WM_COMMAND, id, 0);
}

void NotifyFindDialog(DWORD flags)
{
    g_app.findReplaceData.Flags = flags;
    SendMessageW(g_app.hwndMain, g_app.findReplaceMsg, 0, reinterpret_cast<LPARAM>(&g_app.findReplaceData));
}

void TypeText(const std::wstring& text)
{
    for (wchar_t ch : text) {
        PostMessageW(g_app.hwndEdit, WM_CHAR, ch, 1);
        Pump();
    }
}

HGLOBAL PostDrop(HWND target, const std::vector<std::wstring>& paths)
{
    std::wstring names;
    for (const std::wstring& path : paths) names += path + L'\0';
    HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(drop));
    files->pFiles = sizeof(DROPFILES);
    files->fWide = TRUE;
    std::memcpy(files + 1, names.data(), names.size() * sizeof(wchar_t));
    GlobalUnlock(drop);
    PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    return drop;
}

bool DropFiles(HWND target, const std::vector<std::wstring>& paths)
{
    HGLOBAL drop = PostDrop(target, paths);
    Pump();
    return GlobalSize(drop) == 0;
}

std::wstring WindowText(HWND hwnd)
{
    const int n = GetWindowTextLengthW(hwnd);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const int got = GetWindowTextW(hwnd, text.data(), n + 1);
    text.resize(static_cast<size_t>(got > 0 ? got : 0));
    return text;
}

std::wstring EditText()
{
    const LRESULT n = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    const LRESULT got = SendMessageW(g_app.hwndEdit, WM_GETTEXT, static_cast<WPARAM>(n + 1),
                                     reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(got));
    return text;
}

std::wstring StatusText()
{
    wchar_t buffer[kStatusChars] = {};
    const LRESULT len = SendMessageW(g_app.hwndStatus, SB_GETTEXTLENGTHW, 0, 0);
    if (HIWORD(len) & SBT_OWNERDRAW) return g_app.statusText;
    SendMessageW(g_app.hwndStatus, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(buffer));
    return buffer;
}

std::wstring RecountedStatusText()
{
    const std::wstring text = EditText();
    const CHARRANGE sel = EditSelection();
    const LRESULT line = SendMessageW(g_app.hwndEdit, EM_LINEFROMCHAR, static_cast<WPARAM>(sel.cpMin), 0);
    const LRESULT start = SendMessageW(g_app.hwndEdit, EM_LINEINDEX, static_cast<WPARAM>(line), 0);
    const TextCounts counts = CountText(text.data(), text.size());
    wchar_t out[kStatusChars];
    BuildStatusText(static_cast<uint32_t>(line + 1), static_cast<uint32_t>(sel.cpMin - start + 1), counts.words,
                    counts.chars, static_cast<uint32_t>(SendMessageW(g_app.hwndEdit, EM_GETLINECOUNT, 0, 0)), out);
    return out;
}

bool EditModified()
{
    return SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0) != 0;
}

void SetEditText(const std::wstring& text)
{
    SendMessageW(g_app.hwndEdit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    // As Open leaves it: the text in place, the document not modified.
    SendMessageW(g_app.hwndEdit, EM_SETMODIFY, 0, 0);
    UpdateTitle();
    Pump();
}

void SetClipboardText(const wchar_t* text)
{
    ASSERT_TRUE(OpenClipboard(g_app.hwndMain));
    EmptyClipboard();
    if (text) {
        const size_t cb = (wcslen(text) + 1) * sizeof(wchar_t);
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, cb);
        memcpy(GlobalLock(mem), text, cb);
        GlobalUnlock(mem);
        SetClipboardData(CF_UNICODETEXT, mem);
    }
    CloseClipboard();
}

std::wstring ClipboardText()
{
    std::wstring text;
    if (!OpenClipboard(g_app.hwndMain)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (const auto* units = static_cast<const wchar_t*>(GlobalLock(data))) {
            text = units;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

static WNDPROC t_controlProc = nullptr;

static LRESULT CALLBACK TakesNoMore(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    return msg == EM_REPLACESEL ? 0 : CallWindowProcW(t_controlProc, hwnd, msg, wParam, lParam);
}

void RefuseMoreText(HWND edit)
{
    t_controlProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TakesNoMore)));
}

CHARRANGE EditSelection()
{
    CHARRANGE range = {};
    SendMessageW(g_app.hwndEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
    return range;
}

TempFolder::TempFolder()
{
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    // Wine reuses process ids, and a folder an earlier run could not remove (a dialog left
    // the current directory in it) must not be taken for this test's own.
    do {
        path_ = std::wstring(base) + L"jotwell-test-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                std::to_wstring(counter++);
    } while (!CreateDirectoryW(path_.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

static void RemoveTree(const std::wstring& folder)
{
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = found.cFileName;
            if (name == L"." || name == L"..") continue;
            const std::wstring full = folder + L"\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(full.c_str());
            }
        } while (FindNextFileW(search, &found));
        FindClose(search);
    }
    RemoveDirectoryW(folder.c_str());
}

TempFolder::~TempFolder()
{
    // A file dialog may have left the current directory inside, which keeps the folder.
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    SetCurrentDirectoryW(base);
    RemoveTree(path_);
}

std::string ReadFileBytes(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return {};
    std::string bytes;
    char chunk[65536];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof(chunk), &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}
