// The status bar: the caret's line and column and the document's counts.
#include "editor/status_bar.h"

#include "base/app_state.h"
#include "editor/status_text.h"
#include "editor/text_copy.h"

#include <commctrl.h>
#include <richedit.h>

namespace {

// The units of [from, to) (at most three) into out, a space where the range leaves the
// text; returns the text's length in character positions.
LONG ReadUnits(HWND edit, LONG from, LONG to, wchar_t* out)
{
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    const auto end = static_cast<LONG>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
    const LONG first = from < 0 ? 0 : from;
    const LONG last = to < end ? to : end;
    wchar_t got[4] = {};
    LRESULT n = 0;
    if (first < last) {
        TEXTRANGEW range = {{first, last}, got};
        n = SendMessageW(edit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    }
    for (LONG i = from; i < to; ++i) out[i - from] = i >= first && i - first < n ? got[i - first] : L' ';
    return end;
}

// Adjusts the counts for the key noted before the change, if the change is exactly the one
// unit it would make; anything else (a selection replaced, a surrogate pair, overtype, a
// line break) is left to a full recount.
bool CountAfterKeyEdit(const KeyEdit& key, HWND edit, LRESULT length, const CHARRANGE& sel)
{
    if (!key.active || !g_app.countsValid || sel.cpMin != sel.cpMax) return false;
    wchar_t now[3];
    if (key.insert) {
        if (length != key.length + 1 || sel.cpMin != key.at + 1) return false;
        ReadUnits(edit, key.at - 1, key.at + 2, now);
        if (now[0] != key.before || now[1] != key.unit || now[2] != key.after) return false;
        g_app.charCount += 1;
        g_app.wordCount += WordsAddedByUnit(key.before, key.unit, key.after);
    } else {
        if (length != key.length - 1 || sel.cpMin != key.at) return false;
        ReadUnits(edit, key.at - 1, key.at + 1, now);
        if (now[0] != key.before || now[1] != key.after) return false;
        g_app.charCount -= 1;
        g_app.wordCount -= WordsAddedByUnit(key.before, key.unit, key.after);
    }
    return true;
}

} // namespace

void NoteKeyEdit(const MSG& msg)
{
    g_app.keyEdit.active = 0;
    if (msg.hwnd != g_app.hwndEdit || !g_app.countsValid || !g_app.statusBarVisible) return;
    int insert = 0;
    LONG offset = 0; // where the unit goes or goes from, relative to the caret
    if (msg.message == WM_CHAR && IsSimpleKeyUnit(static_cast<wchar_t>(msg.wParam))) {
        insert = 1;
    } else if ((msg.message == WM_CHAR && msg.wParam == L'\b') ||
               (msg.message == WM_KEYDOWN && (msg.wParam == VK_BACK || msg.wParam == VK_DELETE))) {
        // With a modifier these keys remove a word or cut the text instead.
        if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_SHIFT) < 0 || GetKeyState(VK_MENU) < 0) return;
        offset = msg.wParam == VK_DELETE && msg.message == WM_KEYDOWN ? 0 : -1;
    } else {
        return;
    }
    HWND edit = g_app.hwndEdit;
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    if (sel.cpMin != sel.cpMax) return;
    const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    if (length != g_app.countedLength) return;

    KeyEdit key;
    key.insert = insert;
    key.at = sel.cpMin + offset;
    key.length = length;
    if (insert) {
        wchar_t around[2];
        ReadUnits(edit, key.at - 1, key.at + 1, around);
        key.before = around[0];
        key.unit = static_cast<wchar_t>(msg.wParam);
        key.after = around[1];
    } else {
        wchar_t around[3];
        const LONG end = ReadUnits(edit, key.at - 1, key.at + 2, around);
        if (key.at < 0 || key.at >= end || !IsSimpleKeyUnit(around[1])) return;
        key.before = around[0];
        key.unit = around[1];
        key.after = around[2];
    }
    key.active = 1;
    g_app.keyEdit = key;
}

void EndKeyEdit()
{
    g_app.keyEdit.active = 0;
}

void UpdateStatusBar()
{
    // A noted key counts for the first refresh after it only.
    const KeyEdit key = g_app.keyEdit;
    g_app.keyEdit.active = 0;
    if (!g_app.statusBarVisible || g_app.progressShown) {
        g_app.countsValid = 0;
        g_app.countsGiven = 0;
        if (g_app.statusBarVisible) SetStatusText(g_app.statusText);
        return;
    }
    HWND edit = g_app.hwndEdit;
    const LRESULT length = SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
    const LRESULT lines = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    const LRESULT end = SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0);
    const long at = ClampPosition(sel.cpMin, static_cast<long>(end));
    const LRESULT lineIndex = SendMessageW(edit, EM_LINEFROMCHAR, static_cast<WPARAM>(at), 0);
    const LRESULT lineStart = SendMessageW(edit, EM_LINEINDEX, static_cast<WPARAM>(lineIndex), 0);

    const bool keyEdit = CountAfterKeyEdit(key, edit, length, sel);
    const bool given = g_app.countsGiven && g_app.countsValid && length == g_app.countedLength;
    g_app.countsGiven = 0;
    if (!keyEdit && !given) {
        TextCounts counts;
        g_app.countsValid = 1;
        if (length > 0) {
            // A failed allocation leaves both counts at 0; the text is still shown.
            if (wchar_t* text = TextCopyBuffer(static_cast<size_t>(length) + 1)) {
                const LRESULT got = SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                                 reinterpret_cast<LPARAM>(text));
                counts = CountText(text, static_cast<size_t>(got < 0 ? 0 : got));
            } else {
                g_app.countsValid = 0;
            }
        }
        g_app.wordCount = counts.words;
        g_app.charCount = counts.chars;
    }
    g_app.countedLength = length;

    // The column is kept inside the caret's line as the control measures it, which walks the
    // line; after a typed key that changed one unit at the caret, inside the text is enough.
    const LRESULT lineLength =
        keyEdit ? end - lineStart : SendMessageW(edit, EM_LINELENGTH, static_cast<WPARAM>(at), 0);
    wchar_t status[kStatusChars];
    const CaretPlace place = PlaceCaret(at, static_cast<long>(lineIndex), static_cast<long>(lines),
                                        static_cast<long>(lineStart), static_cast<long>(lineLength));
    BuildStatusText(place.line, place.column, g_app.wordCount, g_app.charCount, static_cast<uint32_t>(lines), status);
    SetStatusText(status);
}

void TakeCounts(const TextCounts& counts)
{
    g_app.wordCount = counts.words;
    g_app.charCount = counts.chars;
    g_app.countedLength = SendMessageW(g_app.hwndEdit, WM_GETTEXTLENGTH, 0, 0);
    g_app.countsValid = 1;
    g_app.countsGiven = 1;
}

void SetStatusText(const wchar_t* text)
{
    int i = 0;
    for (; i < kStatusChars - 1 && text[i]; ++i) g_app.statusText[i] = text[i];
    g_app.statusText[i] = L'\0';
    if (!g_app.hwndStatus) return;
    // Owner-drawn, the bar keeps only the address: the text must outlive this call.
    const WPARAM mode = g_app.darkActive ? SBT_OWNERDRAW : 0;
    SendMessageW(g_app.hwndStatus, SB_SETTEXTW, mode, reinterpret_cast<LPARAM>(g_app.statusText));
}

void ShowProgress(const wchar_t* text)
{
    g_app.progressShown = 1;
    if (g_app.statusBarVisible) {
        SetStatusText(text);
        UpdateWindow(g_app.hwndStatus);
    } else {
        // Kept for the bar to show if it comes back meanwhile.
        lstrcpynW(g_app.statusText, text, kStatusChars);
    }
}

void EndProgress()
{
    g_app.progressShown = 0;
}

void DrawStatusPart(const DRAWITEMSTRUCT* item)
{
    HDC dc = item->hDC;
    RECT r = item->rcItem;
    if (g_app.hStatusBrush) FillRect(dc, &r, g_app.hStatusBrush);
    const auto* text = reinterpret_cast<const wchar_t*>(item->itemData);
    if (!text) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(200, 200, 200));
    r.left += 6;
    DrawTextW(dc, text, -1, &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

void UpdateStatusBrush()
{
    DeleteStatusBrush();
    if (g_app.darkActive) g_app.hStatusBrush = CreateSolidBrush(RGB(45, 45, 45));
}

void DeleteStatusBrush()
{
    if (!g_app.hStatusBrush) return;
    DeleteObject(g_app.hStatusBrush);
    g_app.hStatusBrush = nullptr;
}

void ToggleStatusBar()
{
    g_app.statusBarVisible ^= 1;
    g_app.hMenuBar = GetMenu(g_app.hwndMain);
    int barHeight = 0;
    if (!g_app.statusBarVisible) {
        CheckMenuItem(g_app.hMenuBar, ID_VIEW_STATUSBAR, MF_BYCOMMAND | MF_UNCHECKED);
        ShowWindow(g_app.hwndStatus, SW_HIDE);
    } else {
        CheckMenuItem(g_app.hMenuBar, ID_VIEW_STATUSBAR, MF_BYCOMMAND | MF_CHECKED);
        // The main window may have been resized while the bar was hidden and got no WM_SIZE.
        SendMessageW(g_app.hwndStatus, WM_SIZE, 0, 0);
        ShowWindow(g_app.hwndStatus, SW_SHOW);
        RECT bar = {};
        GetClientRect(g_app.hwndStatus, &bar);
        barHeight = bar.bottom - bar.top;
        UpdateStatusBar();
    }
    RECT client = {};
    GetClientRect(g_app.hwndMain, &client);
    g_app.clientWidth = client.right - client.left;
    g_app.clientHeight = client.bottom - client.top - barHeight;
    MoveWindow(g_app.hwndEdit, 0, 0, g_app.clientWidth, g_app.clientHeight, TRUE);
}
