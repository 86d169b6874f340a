// Answers the modal dialogs (message boxes, Open, Save As, Print) that a command opens on
// the test's own thread, in the order they appear, through a thread-local CBT hook.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenDialog {
    std::wstring title;
    std::wstring text;             // all static texts of the dialog, joined by "\n"
    std::vector<int> buttons;      // which of IDOK, IDCANCEL, IDYES, IDNO are present
    HICON icon = nullptr;          // the message box's icon, if any
    HWND owner = nullptr;
};

class DialogScript {
public:
    DialogScript();
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    // Clicks a button (IDYES, IDNO, IDCANCEL, IDOK) of the next dialog.
    DialogScript& Press(int button);
    // Types a full path into the next Open or Save As dialog and confirms it.
    DialogScript& ChooseFile(const std::wstring& path);
    // Runs any action on the next dialog once it is shown.
    DialogScript& Then(std::function<void(HWND)> action);

    const std::vector<SeenDialog>& seen() const { return seen_; }
    size_t pending() const { return actions_.size(); }

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    void OnActivate(HWND dialog);

    HHOOK hook_ = nullptr;
    std::deque<std::function<void(HWND)>> actions_;
    std::vector<SeenDialog> seen_;
    std::vector<HWND> handled_;
};

// Posts a click of a dialog button, as if the user had pressed it.
void ClickDialogButton(HWND dialog, int id);
