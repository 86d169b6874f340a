#include "support/creation_log.h"

static thread_local CreationLog* t_log = nullptr;
static thread_local std::vector<CreatedWindow>* t_windows = nullptr;

CreationLog::CreationLog()
{
    t_log = this;
    t_windows = &windows_;
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
}

CreationLog::~CreationLog()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    t_log = nullptr;
    t_windows = nullptr;
}

const CreatedWindow* CreationLog::Last(const std::wstring& className) const
{
    for (auto it = windows_.rbegin(); it != windows_.rend(); ++it)
        if (lstrcmpiW(it->className.c_str(), className.c_str()) == 0) return &*it;
    return nullptr;
}

LRESULT CALLBACK CreationLog::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND && t_windows) {
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        CreatedWindow w = {};
        w.hwnd = reinterpret_cast<HWND>(wParam);
        if (IS_INTRESOURCE(cs->lpszClass)) {
            wchar_t name[64] = {};
            GetClassNameW(w.hwnd, name, 64);
            w.className = name;
        } else {
            w.className = cs->lpszClass;
        }
        w.style = static_cast<DWORD>(cs->style);
        w.exStyle = cs->dwExStyle;
        w.id = reinterpret_cast<INT_PTR>(cs->hMenu);
        w.parent = cs->hwndParent;
        w.x = cs->x;
        w.y = cs->y;
        w.cx = cs->cx;
        w.cy = cs->cy;
        t_windows->push_back(w);
    }
    return CallNextHookEx(t_log ? t_log->hook_ : nullptr, code, wParam, lParam);
}
