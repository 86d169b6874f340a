#include "support/process.h"

std::wstring BesideTestProgram(const std::wstring& name)
{
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path = self;
    path.resize(path.find_last_of(L"\\/") + 1);
    return path + name;
}

JotwellProcess::JotwellProcess()
{
    const std::wstring exe = BesideTestProgram(L"jotwell.exe");
    std::wstring command = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info_))
        info_ = {};
}

JotwellProcess::~JotwellProcess()
{
    if (!info_.hProcess) return;
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info_.hProcess, 99);
        WaitForSingleObject(info_.hProcess, 5000);
    }
    CloseHandle(info_.hThread);
    CloseHandle(info_.hProcess);
}

struct FindState {
    DWORD pid;
    HWND found;
};

static BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM param)
{
    auto* state = reinterpret_cast<FindState*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    wchar_t cls[64] = {};
    GetClassNameW(hwnd, cls, 64);
    if (pid == state->pid && lstrcmpW(cls, L"JotwellClass") == 0 && IsWindowVisible(hwnd)) {
        state->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

HWND JotwellProcess::WaitForMainWindow(DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    while (GetTickCount64() < end) {
        FindState state = {info_.dwProcessId, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&state));
        if (state.found) return state.found;
        if (WaitForSingleObject(info_.hProcess, 50) == WAIT_OBJECT_0) return nullptr;
    }
    return nullptr;
}

long JotwellProcess::WaitForExit(DWORD timeoutMs)
{
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return static_cast<long>(code);
}
