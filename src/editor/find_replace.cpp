// Find and Replace through the system's modeless dialogs and the control's own search.
#include "editor/find_replace.h"

#include "app/app_state.h"
#include "app/handles.h"
#include "document/document.h"
#include "editor/status_bar.h"

#include <richedit.h>

namespace {

constexpr DWORD kOptionBits = FR_DOWN | FR_MATCHCASE | FR_WHOLEWORD;

// The option bits the control's search takes, as the dialog last sent them. Wine's dialogs
// clear the option bits of Flags at every command they handle, a focus change included, so F3
// after clicking back into the text would search up without Match case. The record is trusted
// only while it carries a notification bit (on Windows it keeps them, so this changes nothing
// there); otherwise the options remembered from the last notification apply.
WPARAM SearchOptions()
{
    const DWORD flags = g_app.findReplaceData.Flags;
    if (flags & (FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL)) g_app.findOptions = flags & kOptionBits;
    return g_app.findOptions;
}

CHARRANGE Selection()
{
    CHARRANGE sel = {};
    SendMessageW(g_app.hwndEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    return sel;
}

// Searches [from, to); on a match returns true with its range in `found`.
bool Search(WPARAM options, LONG from, LONG to, CHARRANGE& found)
{
    FINDTEXTEXW find = {};
    find.chrg.cpMin = from;
    find.chrg.cpMax = to;
    find.lpstrText = g_app.findWhat;
    if (SendMessageW(g_app.hwndEdit, EM_FINDTEXTEX, options, reinterpret_cast<LPARAM>(&find)) == -1) return false;
    found = find.chrgText;
    return true;
}

// EM_SCROLLCARET as winuser.h numbers it. richedit.h falls back to WM_USER + 49 when it is
// included first, and Wine's control ignores that one.
constexpr UINT kScrollCaret = 0x00B7;

void SelectAndShow(CHARRANGE range)
{
    SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    SendMessageW(g_app.hwndEdit, kScrollCaret, 0, 0);
}

void OpenDialog(bool replace)
{
    if (g_app.hwndFindDialog) {
        // Only one of the two dialogs is open at a time: the open one gets the focus.
        SetFocus(g_app.hwndFindDialog);
        return;
    }
    InitFindReplace();
    g_app.hwndFindDialog = replace ? ReplaceTextW(&g_app.findReplaceData) : FindTextW(&g_app.findReplaceData);
}

void Find(WPARAM options)
{
    if (!g_app.findWhat[0]) return;
    const bool down = (options & FR_DOWN) != 0;
    const CHARRANGE sel = Selection();
    CHARRANGE found = {};
    if (down ? Search(options, sel.cpMax, -1, found) : Search(options, sel.cpMin, 0, found)) {
        SelectAndShow(found);
        return;
    }
    // Once round from the other end.
    const LONG length = static_cast<LONG>(SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0));
    if (down ? Search(options, 0, length, found) : Search(options, length, 0, found)) {
        SelectAndShow(found);
        return;
    }
    MessageBeep(MB_OK);
}

} // namespace

void InitFindReplace()
{
    g_app.findReplaceData = {};
    g_app.findReplaceData.lStructSize = sizeof(FINDREPLACEW);
    g_app.findReplaceData.hwndOwner = g_app.hwndMain;
    g_app.findReplaceData.Flags = FR_DOWN;
    g_app.findOptions = FR_DOWN;
    g_app.findReplaceData.lpstrFindWhat = g_app.findWhat;
    g_app.findReplaceData.lpstrReplaceWith = g_app.replaceWith;
    g_app.findReplaceData.wFindWhatLen = kSearchChars - 1;
    g_app.findReplaceData.wReplaceWithLen = kSearchChars - 1;
}

void ShowFindDialog()
{
    OpenDialog(false);
}

void ShowReplaceDialog()
{
    OpenDialog(true);
}

void FindNext()
{
    Find(SearchOptions());
}

// Always upward; the dialog's direction stays as it was.
void FindPrevious()
{
    Find(SearchOptions() & ~static_cast<WPARAM>(FR_DOWN));
}

void DoReplace()
{
    // An empty pattern matches nothing to replace (and must never loop).
    if (!g_app.findWhat[0]) return;
    const CHARRANGE sel = Selection();
    if (sel.cpMax != sel.cpMin) {
        const WPARAM options = FR_DOWN | SearchOptions();
        CHARRANGE found = {};
        if (Search(options, sel.cpMin, -1, found) && found.cpMin == sel.cpMin && found.cpMax == sel.cpMax)
            SendMessageW(g_app.hwndEdit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(g_app.replaceWith));
    }
    FindNext();
}

uint32_t DoReplaceAll()
{
    if (!g_app.findWhat[0]) return 0;
    WaitCursor wait;
    HWND edit = g_app.hwndEdit;
    const WPARAM options = FR_DOWN | SearchOptions();
    uint32_t count = 0;
    // Refreshing the status bar and caption after every replacement would make the whole
    // command quadratic: notifications are off for the loop and the refresh happens once.
    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, EM_SETSEL, 0, 0);
    for (;;) {
        CHARRANGE found = {};
        if (!Search(options, Selection().cpMin, -1, found)) break;
        SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&found));
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(g_app.replaceWith));
        ++count;
    }
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
    SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
    if (count > 0 && (mask & ENM_CHANGE)) {
        UpdateStatusBar();
        UpdateTitle();
    }
    return count;
}
