// Find and Replace through the system's modeless dialogs and the control's own search.
#include "editor/find_replace.h"

#include "base/app_state.h"
#include "base/handles.h"
#include "base/messages.h"
#include "editor/edit_control.h"
#include "editor/replace_text.h"
#include "editor/status_bar.h"

#include <richedit.h>

#include <cstring>
#include <utility>

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

// The matches Replace All found, in a heap block that doubles as it fills.
struct MatchList {
    HeapBuffer block{0};
    size_t count = 0;
    size_t room = 0;

    MatchSpan* items() const { return block.as<MatchSpan>(); }
    bool Add(const CHARRANGE& found)
    {
        if (count == room) {
            const size_t bigger = room ? room * 2 : 256;
            HeapBuffer grown(bigger * sizeof(MatchSpan));
            if (!grown) return false;
            if (count) std::memcpy(grown.get(), block.get(), count * sizeof(MatchSpan));
            block = std::move(grown);
            room = bigger;
        }
        items()[count++] = {found.cpMin, found.cpMax};
        return true;
    }
};

// Every match from the top, each search starting where the last match ended; false when
// memory ran out.
bool FindAll(WPARAM options, MatchList& matches)
{
    CHARRANGE found = {};
    for (LONG from = 0; Search(options, from, -1, found) && found.cpMax > from; from = found.cpMax)
        if (!matches.Add(found)) return false;
    return true;
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
    // Every match of the text as it stands, found before anything changes: no replacement is
    // searched again, and the new text goes in as one replacement, one step for Undo (the
    // control keeps only the last 100 steps).
    MatchList matches;
    if (!FindAll(FR_DOWN | SearchOptions(), matches)) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    if (matches.count == 0) return 0;

    const long spanStart = matches.items()[0].start;
    const auto spanLength = static_cast<size_t>(matches.items()[matches.count - 1].end - spanStart);
    HeapBuffer span((spanLength + 1) * sizeof(wchar_t));
    const size_t withLength = static_cast<size_t>(lstrlenW(g_app.replaceWith));
    const size_t newLength = ReplacedLength(spanLength, matches.items(), matches.count, withLength);
    HeapBuffer replaced((newLength + 1) * sizeof(wchar_t));
    if (!span || !replaced) {
        ShowOutOfMemoryMessage();
        return 0;
    }
    TEXTRANGEW range = {{spanStart, static_cast<LONG>(spanStart + static_cast<long>(spanLength))}, span.as<wchar_t>()};
    // The control hands out one unit per character position; anything else cannot be mapped.
    if (SendMessageW(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range)) != static_cast<LRESULT>(spanLength))
        return 0;
    BuildReplaced(span.as<wchar_t>(), spanLength, spanStart, matches.items(), matches.count, g_app.replaceWith,
                  withLength, replaced.as<wchar_t>());

    // One refresh of the status bar and caption at the end, none halfway.
    const LRESULT mask = SendMessageW(edit, EM_SETEVENTMASK, 0, 0);
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range.chrg));
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(replaced.get()));
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(edit, nullptr, TRUE);
    SendMessageW(edit, EM_SETEVENTMASK, 0, mask);
    SendMessageW(edit, EM_SETMODIFY, 1, 0);
    if (mask & ENM_CHANGE) UpdateStatusBar();
    return static_cast<uint32_t>(matches.count);
}
