// Find and Replace through the system's modeless dialogs and the control's own search.
#include "editor/find_replace.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "editor/big_edit.h"
#include "editor/edit_control.h"
#include "editor/replace_text.h"
#include "editor/status_bar.h"

#include <richedit.h>

#include <new>
#include <vector>

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

void SelectAndShow(CHARRANGE range)
{
    SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
    ScrollCaretIntoView(g_app.hwndEdit);
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

int DoReplace()
{
    // An empty pattern matches nothing to replace (and must never loop).
    if (!g_app.findWhat[0]) return 0;
    const CHARRANGE sel = Selection();
    int replaced = 0;
    if (sel.cpMax != sel.cpMin) {
        const WPARAM options = FR_DOWN | SearchOptions();
        CHARRANGE found = {};
        if (Search(options, sel.cpMin, -1, found) && found.cpMin == sel.cpMin && found.cpMax == sel.cpMax) {
            // No refresh yet: the bar is to show the caret at the next match, once.
            HWND edit = g_app.hwndEdit;
            const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
            SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(g_app.replaceWith));
            SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
            SendMessageW(edit, EM_SETMODIFY, 1, 0);
            replaced = 1;
        }
    }
    FindNext();
    if (replaced) UpdateStatusBar();
    return replaced;
}

uint32_t DoReplaceAll()
{
    if (!g_app.findWhat[0]) return 0;
    WaitCursor wait;
    HWND edit = g_app.hwndEdit;
    SendMessageW(edit, EM_SETSEL, 0, 0);
    // Every match of the text as it stands, found in a copy of it before anything changes: no
    // replacement is searched again, and the new text goes in as one replacement, one step for
    // Undo (the control keeps only the last 100 steps). The control's own search walks its text
    // from the start at each match: 10,000 matches in 1 M characters took 0.4 s that way.
    size_t length = 0;
    const HeapBuffer text = ReadPositionText(length);
    const WPARAM options = SearchOptions();
    std::vector<MatchSpan> matches;
    try {
        if (text)
            matches = FindMatches(text.as<wchar_t>(), length, g_app.findWhat, static_cast<size_t>(lstrlenW(g_app.findWhat)),
                                  (options & FR_MATCHCASE) != 0, (options & FR_WHOLEWORD) != 0);
    } catch (const std::bad_alloc&) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    if (!text) ShowOutOfMemoryMessage();
    if (matches.empty()) return 0;

    const long spanStart = matches.front().start;
    const auto spanLength = static_cast<size_t>(matches.back().end - spanStart);
    const size_t withLength = static_cast<size_t>(lstrlenW(g_app.replaceWith));
    const size_t newLength = ReplacedLength(spanLength, matches.data(), matches.size(), withLength);
    HeapBuffer replaced((newLength + 1) * sizeof(wchar_t));
    if (!replaced) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    BuildReplaced(text.as<wchar_t>() + spanStart, spanLength, spanStart, matches.data(), matches.size(),
                  g_app.replaceWith, withLength, replaced.as<wchar_t>());
    const auto count = static_cast<uint32_t>(matches.size());
    const CHARRANGE span = {spanStart, static_cast<LONG>(spanStart + static_cast<long>(spanLength))};
    if (ReplaceRangeIfBig(span.cpMin, span.cpMax, replaced.as<wchar_t>(), newLength, text.as<wchar_t>(), length))
        return count;

    // One refresh of the status bar and caption at the end, none halfway.
    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&span));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaced.get()));
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
    SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
    SendMessageW(edit, EM_SETMODIFY, 1, 0);
    if (mask & ENM_CHANGE) UpdateStatusBar();
    return count;
}
