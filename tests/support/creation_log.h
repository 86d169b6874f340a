// Records the windows created on the test's thread with the styles they were created with
// (a RichEdit control drops WS_VSCROLL and WS_HSCROLL from its style while they are not needed).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct CreatedWindow {
    HWND hwnd;
    std::wstring className;
    DWORD style;
    DWORD exStyle;
    INT_PTR id;
    HWND parent;
    int x, y, cx, cy;
};

class CreationLog {
public:
    CreationLog();
    ~CreationLog();
    CreationLog(const CreationLog&) = delete;
    CreationLog& operator=(const CreationLog&) = delete;

    const std::vector<CreatedWindow>& windows() const { return windows_; }
    // The last window of that class created while the log was open, or nullptr.
    const CreatedWindow* Last(const std::wstring& className) const;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook_ = nullptr;
    std::vector<CreatedWindow> windows_;
};
