// A text put into the document's control in pieces. The first screen is streamed in whole; the
// rest is appended at the end, piece by piece, while the user may already scroll, select, copy
// and search. Under Wine, EM_STREAMIN with SFF_SELECTION replaces the whole text of a plain-text
// control instead of the selection, so the pieces go in with EM_REPLACESEL at the end.
#include "editor/text_load.h"

#include "appearance/theme.h"
#include "base/app_state.h"
#include "editor/control_text.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"
#include "editor/status_text.h"
#include "editor/text_stream.h"

#include <richedit.h>

#include <algorithm>
#include <iterator>
#include <utility>

namespace {

struct Pieces {
    size_t atOnce = 16384;     // a text this short goes in at once, well within one turn
    size_t first = 65536;      // the first screen, at most
    size_t smallest = 2048;    // the bounds of the later pieces, sized by the time they take
    size_t largest = 32768;
};
constexpr Pieces kDefaultPieces;
Pieces t_pieces;

// A piece should take about this long: well under the 50 ms a turn of the loop may take, and well
// over the cost every append has whatever its size.
constexpr double kPieceMs = 15.0;

// Destroying a control takes about 50 ms per million characters under Wine, in one call: the
// control a load replaced goes once the user has left the keyboard and mouse alone this long.
constexpr UINT kRetireEveryMs = 500;

struct TextLoad {
    int running = 0;
    HWND edit = nullptr;     // the document's control, filling
    HWND previous = nullptr; // the control before, hidden until the end
    HeapBuffer owner{0};
    const wchar_t* text = nullptr;
    size_t length = 0;
    size_t pos = 0;
    LONG positions = 0; // character positions in the control: a CR LF pair is one
    int modified = 0;
    const wchar_t* label = nullptr;
    HeapBuffer piece{0};
    size_t pieceUnits = 0;
    // The counts of what has gone in, in the control's form.
    TextCounts counts;
    bool inWord = false;
    ULONGLONG shown = 0;
    // The document from before, which comes back if the load fails or is cancelled.
    wchar_t previousPath[kPathChars] = {};
    int previousEncoding = 0;
    int previousWrap = 0;
    HFONT previousFont = nullptr;
    EditPalette previousPalette = {};
};
TextLoad t_load;

// The control the last load replaced, hidden, until it is destroyed.
HWND t_retired = nullptr;
UINT_PTR t_retireTimer = 0;

void DestroyRetired()
{
    if (t_retireTimer) KillTimer(nullptr, t_retireTimer);
    t_retireTimer = 0;
    if (t_retired) DestroyWindow(t_retired);
    t_retired = nullptr;
}

void CALLBACK RetireWhenQuiet(HWND, UINT, UINT_PTR, DWORD)
{
    LASTINPUTINFO input = {sizeof(input), 0};
    if (GetLastInputInfo(&input) && GetTickCount() - input.dwTime < kRetireEveryMs) return;
    DestroyRetired();
}

// Destroyed later, when the user is not looking: at once if no timer can be had.
void Retire(HWND edit)
{
    DestroyRetired();
    if (!edit) return;
    t_retired = edit;
    t_retireTimer = SetTimer(nullptr, 0, kRetireEveryMs, RetireWhenQuiet);
    if (!t_retireTimer) DestroyRetired();
}

// Counts text[0, to) as the control gets it.
void CountControlForm(const wchar_t* text, size_t to)
{
    wchar_t chunk[2048];
    for (size_t pos = 0; pos < to;) {
        const size_t units = NextControlChunk(text, to, pos, chunk, std::size(chunk));
        CountMore(chunk, units, t_load.counts, t_load.inWord);
    }
}

double NowMs()
{
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f = {};
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now = {};
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

LONG TextPositions(HWND edit)
{
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    return static_cast<LONG>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

// The units that fill the control's first screen: as many lines as it shows rows, each at most
// as long as the narrowest glyph (2 pixels) lets a row be.
size_t FirstPieceUnits(const wchar_t* text, size_t length)
{
    int lineHeight = 16;
    WindowDC dc(g_app.hwndMain);
    if (dc.get()) {
        const HGDIOBJ old = SelectObject(dc.get(), g_app.hEditFont);
        TEXTMETRICW metrics = {};
        if (GetTextMetricsW(dc.get(), &metrics) && metrics.tmHeight > 0) lineHeight = metrics.tmHeight;
        SelectObject(dc.get(), old);
    }
    const size_t rows = static_cast<size_t>(std::max(g_app.clientHeight, 0) / lineHeight) + 2;
    const size_t columns = static_cast<size_t>(std::max(g_app.clientWidth, 0) / 2) + 1;
    return FirstScreenUnits(text, length, rows, std::min(rows * columns, t_pieces.first));
}

void ShowLoadProgress()
{
    wchar_t progress[kStatusChars];
    BuildProgressText(t_load.label, t_load.pos, t_load.length, progress);
    ShowProgress(progress);
    t_load.shown = GetTickCount64();
}

// Puts `edit` in the document's place, shown and focused where the old one was.
void TakePlace(HWND edit, HWND old)
{
    const bool focused = old && GetFocus() == old;
    g_app.hwndEdit = edit;
    ShowWindow(edit, SW_SHOW);
    if (focused) SetFocus(edit);
}

void Release()
{
    t_load.owner.reset();
    t_load.piece.reset();
    t_load.text = nullptr;
    t_load.edit = nullptr;
    t_load.previous = nullptr;
    t_load.running = 0;
    EndProgress();
}

// The document as it is when the text is all in: no history, the change notification on.
void Complete(HWND edit, bool modified)
{
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
    SendMessageW(edit, EM_SETMODIFY, modified ? 1 : 0, 0);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

// The control from before takes its place again, with the document's name, encoding and wrap.
void Revert()
{
    HWND failed = t_load.edit;
    HWND previous = t_load.previous;
    lstrcpynW(g_app.currentFilePath, t_load.previousPath, kPathChars);
    g_app.saveEncoding = t_load.previousEncoding;
    g_app.wordWrap = t_load.previousWrap;
    if (previous) {
        MoveWindow(previous, 0, 0, g_app.clientWidth, g_app.clientHeight, FALSE);
        // Coloured again only if the palette or the font changed while it was hidden.
        const EditPalette now = EditPaletteInForce();
        if (t_load.previousFont != g_app.hEditFont || now.background != t_load.previousPalette.background ||
            now.text != t_load.previousPalette.text) {
            ApplyEditColorsTo(previous);
        } else {
            g_app.textControl = previous;
        }
        TakePlace(previous, failed);
    } else {
        g_app.hwndEdit = nullptr;
    }
    DestroyWindow(failed);
    Release();
}

// Appends the piece at the end, leaving the user's selection and view as they were.
bool AppendPiece(HWND edit, const wchar_t* piece, LONG positions)
{
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    POINT scroll = {};
    SendMessageW(edit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    // The piece lands below what is shown: nothing to repaint but the scroll bar.
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(t_load.positions), t_load.positions);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece));
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    SendMessageW(edit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(t_load.modified), 0);
    t_load.positions += positions;
    // A control that ran out of room (memory, its text limit) stops taking text without a word.
    return TextPositions(edit) == t_load.positions;
}

} // namespace

bool StartTextLoad(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                   const wchar_t* label)
{
    CancelTextLoad();
    DestroyRetired();
    HWND previous = g_app.hwndEdit;
    const size_t first = length <= t_pieces.atOnce ? length : FirstPieceUnits(text, length);
    const bool whole = first >= length;
    if (!whole) SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    // The event mask stays off until the text is in, so nothing refreshes halfway.
    if (first > 0 && !StreamTextIn(edit, text, first, label)) {
        DestroyWindow(edit);
        EndProgress();
        return false;
    }
    SendMessageW(edit, EM_SETSEL, 0, 0);
    if (whole) {
        Complete(edit, modified);
        TakePlace(edit, previous);
        if (previous) DestroyWindow(previous);
        EndProgress();
        return true;
    }

    HeapBuffer piece((t_pieces.largest + 1) * sizeof(wchar_t));
    if (!piece) {
        DestroyWindow(edit);
        EndProgress();
        return false;
    }
    t_load.running = 1;
    t_load.edit = edit;
    t_load.previous = previous;
    t_load.owner = std::move(owner);
    t_load.text = text;
    t_load.length = length;
    t_load.pos = first;
    t_load.positions = TextPositions(edit);
    t_load.modified = modified ? 1 : 0;
    t_load.label = label;
    t_load.piece = std::move(piece);
    t_load.pieceUnits = std::clamp<size_t>(4096, t_pieces.smallest, t_pieces.largest);
    t_load.counts = {};
    t_load.inWord = false;
    CountControlForm(text, first);
    lstrcpynW(t_load.previousPath, g_app.currentFilePath, kPathChars);
    t_load.previousEncoding = g_app.saveEncoding;
    t_load.previousWrap = g_app.wordWrap;
    t_load.previousFont = g_app.hEditFont;
    t_load.previousPalette = EditPaletteInForce();

    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(t_load.modified), 0);
    TakePlace(edit, previous);
    if (previous) ShowWindow(previous, SW_HIDE);
    ShowLoadProgress();
    return true;
}

bool TextLoadRunning()
{
    return t_load.running != 0;
}

bool TextLoadModified()
{
    return t_load.running && t_load.modified;
}

LoadStep StepTextLoad()
{
    if (!t_load.running) return LoadStep::Idle;
    const double start = NowMs();
    auto* piece = t_load.piece.as<wchar_t>();
    const size_t units = NextControlChunk(t_load.text, t_load.length, t_load.pos, piece, t_load.pieceUnits);
    piece[units] = L'\0';
    // Every CR of the control's form is the first half of a CR LF: one position for the two.
    const auto positions = static_cast<LONG>(units - static_cast<size_t>(std::count(piece, piece + units, L'\r')));
    if (units == 0 || !AppendPiece(t_load.edit, piece, positions)) {
        Revert();
        return LoadStep::Failed;
    }
    CountMore(piece, units, t_load.counts, t_load.inWord);
    if (t_load.pos >= t_load.length) {
        HWND edit = t_load.edit;
        HWND previous = t_load.previous;
        Complete(edit, t_load.modified != 0);
        TakeCounts(t_load.counts);
        Release();
        Retire(previous);
        return LoadStep::Done;
    }
    // The next piece as large as fits the time a piece should take, judged by this one, and at
    // most twice as large: one quick piece may have been luck.
    const double took = std::max(NowMs() - start, 0.5);
    const double scaled = std::min(static_cast<double>(t_load.pieceUnits) * kPieceMs / took,
                                   2.0 * static_cast<double>(t_load.pieceUnits));
    t_load.pieceUnits = std::clamp(static_cast<size_t>(scaled), t_pieces.smallest, t_pieces.largest);
    if (GetTickCount64() - t_load.shown >= kProgressEveryMs) ShowLoadProgress();
    return LoadStep::More;
}

LoadStep FinishTextLoad()
{
    if (!t_load.running) return LoadStep::Idle;
    LoadStep step = LoadStep::More;
    while (step == LoadStep::More) step = StepTextLoad();
    return step;
}

void CancelTextLoad()
{
    if (t_load.running) Revert();
}

void DropReplacedControl()
{
    DestroyRetired();
}

void SetTextLoadPieces(size_t atOnce, size_t first, size_t smallest, size_t largest)
{
    t_pieces = kDefaultPieces;
    if (!atOnce && !first && !smallest && !largest) return;
    smallest = std::max<size_t>(smallest, 2);
    t_pieces = {atOnce, std::max<size_t>(first, 1), smallest, std::max(largest, smallest)};
}
