#include "support/dialog_script.h"

#include <algorithm>

static thread_local DialogScript* t_active = nullptr;

DialogScript::DialogScript()
{
    hook_ = SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId());
    t_active = this;
}

DialogScript::~DialogScript()
{
    if (hook_) UnhookWindowsHookEx(hook_);
    if (t_active == this) t_active = nullptr;
}

DialogScript& DialogScript::Press(int button)
{
    actions_.push_back([button](HWND dialog) { ClickDialogButton(dialog, button); });
    return *this;
}

DialogScript& DialogScript::ChooseFile(const std::wstring& path)
{
    actions_.push_back([path](HWND dialog) {
        // The file name box: a combo box (cmb13) in the newer dialogs, an edit (edt1) in the old ones.
        HWND box = GetDlgItem(dialog, 0x47c);
        if (!box) box = GetDlgItem(dialog, 0x480);
        SetWindowTextW(box, path.c_str());
        ClickDialogButton(dialog, IDOK);
    });
    return *this;
}

DialogScript& DialogScript::Then(std::function<void(HWND)> action)
{
    actions_.push_back(std::move(action));
    return *this;
}

void ClickDialogButton(HWND dialog, int id)
{
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

static BOOL CALLBACK CollectStatic(HWND child, LPARAM param)
{
    auto* seen = reinterpret_cast<SeenDialog*>(param);
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Static") != 0) return TRUE;
    if ((GetWindowLongW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        seen->icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
        return TRUE;
    }
    wchar_t text[1024] = {};
    GetWindowTextW(child, text, 1024);
    if (text[0]) {
        if (!seen->text.empty()) seen->text += L"\n";
        seen->text += text;
    }
    return TRUE;
}

void DialogScript::OnActivate(HWND dialog)
{
    if (std::find(handled_.begin(), handled_.end(), dialog) != handled_.end()) return;
    wchar_t cls[32] = {};
    GetClassNameW(dialog, cls, 32);
    if (lstrcmpW(cls, L"#32770") != 0) return;
    wchar_t title[256] = {};
    GetWindowTextW(dialog, title, 256);
    // The modeless Find and Replace dialogs are driven by the tests directly.
    if (lstrcmpW(title, L"Find") == 0 || lstrcmpW(title, L"Replace") == 0) return;
    handled_.push_back(dialog);

    SeenDialog seen;
    seen.title = title;
    seen.owner = GetWindow(dialog, GW_OWNER);
    EnumChildWindows(dialog, CollectStatic, reinterpret_cast<LPARAM>(&seen));
    for (int id : {IDOK, IDCANCEL, IDYES, IDNO})
        if (GetDlgItem(dialog, id)) seen.buttons.push_back(id);
    seen_.push_back(seen);

    if (actions_.empty()) {
        // Nothing scripted: cancel, so that a test never hangs on a dialog it did not expect.
        ClickDialogButton(dialog, IDCANCEL);
        return;
    }
    auto action = std::move(actions_.front());
    actions_.pop_front();
    action(dialog);
}

LRESULT CALLBACK DialogScript::Hook(int code, WPARAM wParam, LPARAM lParam)
{
    DialogScript* self = t_active;
    if (code == HCBT_ACTIVATE && self) self->OnActivate(reinterpret_cast<HWND>(wParam));
    return CallNextHookEx(self ? self->hook_ : nullptr, code, wParam, lParam);
}
