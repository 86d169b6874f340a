// A text put into the document's control in pieces. The first screen is streamed in whole; the
// rest is appended at the end, piece by piece, while the user may already scroll, select and
// copy. Under Wine, EM_STREAMIN with SFF_SELECTION replaces the whole text of a plain-text
// control instead of the selection, so the pieces go in with EM_REPLACESEL at the end.
#include "editor/text_load.h"

#include "appearance/theme.h"
#include "base/app_state.h"
#include "editor/control_text.h"
#include "editor/edit_control.h"
#include "editor/status_bar.h"
#include "editor/status_text.h"
#include "editor/text_stream.h"

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
// Reading a text from the control it is re-wrapped from, per turn, and per request: each request
// walks the control's paragraphs to its start (about 4 ms at 8 M characters under Wine).
constexpr double kReadMs = 10.0;
constexpr LONG kReadPositions = 262144;

// Destroying a control takes about 15 ms per million characters under Wine, in one call that
// cannot be split (deleting its text in pieces costs far more than its length): the controls
// loads replaced go one per quiet turn, the first this long after they were replaced.
constexpr UINT kRetireAfterMs = 300;

struct TextLoad {
    int running = 0;
    int finishing = 0;
    HWND edit = nullptr;     // the document's control, filling
    HWND previous = nullptr; // the control before, hidden and without the id until the end
    int wrap = 0;            // whether `edit` wraps its lines
    HeapBuffer owner{0};
    const wchar_t* text = nullptr;
    size_t length = 0;
    // Units of `text` there to put in: all of them, or those read so far from `previous`.
    size_t filled = 0;
    // An unwrapped control shows its horizontal scroll bar before any line wider than the view
    // goes in: gaining it later lays out all the text again (0.8 s at 8 M characters).
    bool widthSettled = false;
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
    // The user's selection: where it started and the end that moves.
    LONG anchor = 0;
    LONG active = 0;
    bool land = false;
    CHARRANGE landing = {};
    // How the control from before was coloured, so that it comes back coloured right.
    HFONT previousFont = nullptr;
    EditPalette previousPalette = {};
    // Or, when it has gone (or goes at the next turn, `going`), the text it held.
    HWND going = nullptr;
    HeapBuffer before{0};
    size_t beforeLength = 0;
    int beforeModified = 0;
};
TextLoad t_load;

// The controls loads replaced, hidden, until they are destroyed, oldest first.
HWND t_retired[4] = {};
UINT_PTR t_retireTimer = 0;

void StopRetireTimer()
{
    if (t_retireTimer) KillTimer(nullptr, t_retireTimer);
    t_retireTimer = 0;
}

// Destroys the oldest replaced control; true if there was one.
bool DestroyOldestRetired()
{
    if (!t_retired[0]) return false;
    DestroyWindow(t_retired[0]);
    std::move(std::begin(t_retired) + 1, std::end(t_retired), std::begin(t_retired));
    t_retired[std::size(t_retired) - 1] = nullptr;
    return true;
}

// A timer message comes only when no input or posted message waits: one control per such turn.
void CALLBACK RetireTick(HWND, UINT, UINT_PTR, DWORD)
{
    DestroyOldestRetired();
    if (!t_retired[0]) StopRetireTimer();
}

void Retire(HWND edit)
{
    if (!edit) return;
    ShowWindow(edit, SW_HIDE);
    SetWindowLongPtrW(edit, GWLP_ID, 0);
    if (t_retired[std::size(t_retired) - 1]) DestroyOldestRetired();
    *std::find(std::begin(t_retired), std::end(t_retired), nullptr) = edit;
    if (!t_retireTimer) t_retireTimer = SetTimer(nullptr, 0, kRetireAfterMs, RetireTick);
    if (!t_retireTimer) DropReplacedControl();
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

bool Wraps(HWND edit)
{
    return (GetWindowLongPtrW(edit, GWL_STYLE) & ES_AUTOHSCROLL) == 0;
}

struct FontMetrics {
    int lineHeight = 16;
    int averageWidth = 7;
};

FontMetrics TextFontMetrics()
{
    FontMetrics metrics;
    WindowDC dc(g_app.hwndMain);
    if (!dc.get()) return metrics;
    const HGDIOBJ old = SelectObject(dc.get(), g_app.hEditFont);
    TEXTMETRICW text = {};
    if (GetTextMetricsW(dc.get(), &text)) {
        if (text.tmHeight > 0) metrics.lineHeight = text.tmHeight;
        if (text.tmAveCharWidth > 0) metrics.averageWidth = text.tmAveCharWidth;
    }
    SelectObject(dc.get(), old);
    return metrics;
}

// The units that fill the control's first screen: as many lines as it shows rows, each at most
// as long as the narrowest glyph (2 pixels) lets a row be.
size_t FirstPieceUnits(const wchar_t* text, size_t length, const FontMetrics& metrics)
{
    const size_t rows = static_cast<size_t>(std::max(g_app.clientHeight, 0) / metrics.lineHeight) + 2;
    const size_t columns = static_cast<size_t>(std::max(g_app.clientWidth, 0) / 2) + 1;
    return FirstScreenUnits(text, length, rows, std::min(rows * columns, t_pieces.first));
}

void SettleWidth()
{
    t_load.widthSettled = true;
    if (t_load.wrap) return;
    const FontMetrics metrics = TextFontMetrics();
    // The control's margins and its vertical scroll bar take a little of the client width.
    const int room = std::max(g_app.clientWidth - GetSystemMetrics(SM_CXVSCROLL) - 8, 1);
    const size_t across = static_cast<size_t>(room / metrics.averageWidth) + 1;
    if (HasLineLongerThan(t_load.text + t_load.pos, t_load.length - t_load.pos, across))
        ShowScrollBar(t_load.edit, SB_HORZ, TRUE);
}

// Copies positions [from, to) of `control` to text + from; the number of units it gave.
size_t ReadPositions(HWND control, wchar_t* text, size_t from, size_t to)
{
    TEXTRANGEW range = {{static_cast<LONG>(from), static_cast<LONG>(to)}, text + from};
    const LRESULT got = SendMessageW(control, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    return got > 0 ? static_cast<size_t>(got) : 0;
}

// More of the text from the control it is re-wrapped from, for about kReadMs.
void ReadAhead(double start)
{
    auto* text = t_load.owner.as<wchar_t>();
    while (t_load.filled < t_load.length) {
        const size_t to = std::min(t_load.length, t_load.filled + kReadPositions);
        const size_t got = ReadPositions(t_load.previous, text, t_load.filled, to);
        // The control hands out one unit per position; anything else ends the text where it stops.
        if (got != to - t_load.filled) t_load.length = t_load.filled + got;
        t_load.filled += got;
        if (NowMs() - start >= kReadMs) break;
    }
}

void ShowLoadProgress()
{
    wchar_t progress[kStatusChars];
    BuildProgressText(t_load.label, t_load.pos, t_load.length, progress);
    ShowProgress(progress);
    t_load.shown = GetTickCount64();
}

// Puts `edit` in the document's place, shown, focused where the old one was and with the id
// that tools find the document's control by; the old one is hidden and gives the id up.
void TakePlace(HWND edit, HWND old)
{
    const bool focused = old && GetFocus() == old;
    if (old) {
        ShowWindow(old, SW_HIDE);
        SetWindowLongPtrW(old, GWLP_ID, 0);
    }
    SetWindowLongPtrW(edit, GWLP_ID, IDC_EDIT);
    g_app.hwndEdit = edit;
    ShowWindow(edit, SW_SHOW);
    if (focused) SetFocus(edit);
}

void Release()
{
    if (t_load.going) DestroyWindow(std::exchange(t_load.going, nullptr));
    t_load.owner.reset();
    t_load.before.reset();
    t_load.piece.reset();
    t_load.text = nullptr;
    t_load.edit = nullptr;
    t_load.previous = nullptr;
    t_load.running = 0;
    t_load.land = false;
}

// The document as it is when the text is all in: no history, the change notification on.
void Complete(HWND edit, bool modified)
{
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    SendMessageW(edit, EM_SETREADONLY, FALSE, 0);
    SendMessageW(edit, EM_SETMODIFY, modified ? 1 : 0, 0);
    SendMessageW(edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
}

LoadStep Begin(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, size_t filled, bool modified,
               const wchar_t* label);

// The control from before has gone: its text goes in again, in a new control, once the one that
// could not take the new text has let its memory go. Should not even that be had, the document
// is left empty rather than without a control.
void Reload()
{
    HeapBuffer before = std::move(t_load.before);
    const size_t length = t_load.beforeLength;
    const bool modified = t_load.beforeModified != 0;
    const int wrap = t_load.wrap;
    HWND failed = t_load.edit;
    const bool focused = GetFocus() == failed;
    Release();
    EndProgress();
    DestroyWindow(failed);
    g_app.hwndEdit = nullptr;
    const wchar_t* text = before.as<wchar_t>();
    HWND edit = CreateDocumentControl(wrap, nullptr);
    if (edit && Begin(edit, std::move(before), text, length, length, modified, L"Editing...") == LoadStep::Failed)
        edit = CreateDocumentControl(wrap, nullptr);
    if (edit && !g_app.hwndEdit) {
        Complete(edit, modified);
        TakePlace(edit, nullptr);
    }
    if (focused) SetFocus(g_app.hwndEdit);
}

// The control from before takes its place again, coloured as the palette now in force wants.
void Revert()
{
    HWND failed = t_load.edit;
    HWND previous = t_load.previous;
    if (!previous && t_load.before) return Reload();
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
    EndProgress();
}

// Repaints what a piece that went in at position `at` shows: with redrawing off nothing is
// painted, and a piece lands in view when the lines are long or the window is tall.
void PaintFrom(HWND edit, LONG at)
{
    POINTL where = {};
    SendMessageW(edit, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&where), at);
    RECT client = {};
    GetClientRect(edit, &client);
    if (where.y >= client.bottom) return;
    client.top = std::max<LONG>(where.y, 0);
    InvalidateRect(edit, &client, TRUE);
}

// Appends the piece at the end, leaving the user's selection (its direction too) and view as
// they were.
bool AppendPiece(HWND edit, const wchar_t* piece, LONG positions)
{
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const bool upward = sel.cpMin != sel.cpMax && t_load.anchor == sel.cpMax && t_load.active == sel.cpMin;
    POINT scroll = {};
    SendMessageW(edit, EM_GETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(edit, WM_SETREDRAW, FALSE, 0);
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(t_load.positions), t_load.positions);
    SendMessageW(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(piece));
    SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    SendMessageW(edit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    SendMessageW(edit, WM_SETREDRAW, TRUE, 0);
    if (upward) {
        SelectFromAnchor(edit, sel.cpMax, sel.cpMin);
        SendMessageW(edit, EM_SETSCROLLPOS, 0, reinterpret_cast<LPARAM>(&scroll));
    }
    PaintFrom(edit, t_load.positions);
    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(t_load.modified), 0);
    t_load.positions += positions;
    // A control that ran out of room (memory, its text limit) stops taking text without a word.
    return TextPositions(edit) == t_load.positions;
}

LoadStep Begin(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, size_t filled, bool modified,
               const wchar_t* label)
{
    const size_t first = length <= t_pieces.atOnce ? length : FirstPieceUnits(text, filled, TextFontMetrics());
    const bool whole = first >= length;
    if (!whole) SendMessageW(edit, EM_SETREADONLY, TRUE, 0);
    // The event mask stays off until the text is in, so nothing refreshes halfway. A running load
    // goes on untouched if this one cannot even begin.
    if (first > 0 && !StreamTextIn(edit, text, first, label)) {
        DestroyWindow(edit);
        if (!t_load.running) EndProgress();
        return LoadStep::Failed;
    }
    HeapBuffer piece(whole ? 0 : (t_pieces.largest + 1) * sizeof(wchar_t));
    if (!whole && !piece) {
        DestroyWindow(edit);
        if (!t_load.running) EndProgress();
        return LoadStep::Failed;
    }
    SendMessageW(edit, EM_SETSEL, 0, 0);

    HWND shown = g_app.hwndEdit;
    HWND fallback = shown;
    HWND replaced = nullptr;
    if (t_load.running) {
        // The document before the replaced load stays the one a failure brings back.
        replaced = t_load.edit;
        fallback = t_load.previous;
        Release();
    }
    if (whole) {
        Complete(edit, modified);
        TakePlace(edit, shown);
        Retire(replaced);
        Retire(fallback == replaced ? nullptr : fallback);
        g_app.wordWrap = Wraps(edit) ? 1 : 0;
        EndProgress();
        return LoadStep::Done;
    }

    t_load.running = 1;
    t_load.edit = edit;
    t_load.previous = fallback;
    t_load.wrap = Wraps(edit) ? 1 : 0;
    t_load.owner = std::move(owner);
    t_load.text = text;
    t_load.length = length;
    t_load.filled = filled;
    t_load.widthSettled = t_load.wrap != 0;
    t_load.pos = first;
    t_load.positions = TextPositions(edit);
    t_load.modified = modified ? 1 : 0;
    t_load.label = label;
    t_load.piece = std::move(piece);
    t_load.pieceUnits = std::clamp<size_t>(4096, t_pieces.smallest, t_pieces.largest);
    t_load.counts = {};
    t_load.inWord = false;
    for (size_t at = 0; at < first;) {
        wchar_t chunk[2048];
        const size_t units = NextControlChunk(text, first, at, chunk, std::size(chunk));
        CountMore(chunk, units, t_load.counts, t_load.inWord);
    }
    t_load.anchor = t_load.active = 0;
    t_load.land = false;
    if (!replaced) {
        t_load.previousFont = g_app.hEditFont;
        t_load.previousPalette = EditPaletteInForce();
    }

    SendMessageW(edit, EM_SETMODIFY, static_cast<WPARAM>(t_load.modified), 0);
    TakePlace(edit, shown);
    Retire(replaced);
    // A text still being read settles it once all of it is there.
    if (filled >= length) SettleWidth();
    ShowLoadProgress();
    return LoadStep::More;
}

// The windows' painting, and the messages other threads send, while the rest goes in.
void PaintWaiting()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) DispatchMessageW(&msg);
}

} // namespace

LoadStep StartTextLoad(HWND edit, HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                       const wchar_t* label)
{
    return Begin(edit, std::move(owner), text, length, length, modified, label);
}

LoadStep StartTextLoadInNewControl(HeapBuffer owner, const wchar_t* text, size_t length, bool modified,
                                   const wchar_t* label)
{
    HWND edit = CreateDocumentControl(DocumentWordWrap(), nullptr);
    return edit ? StartTextLoad(edit, std::move(owner), text, length, modified, label) : LoadStep::Failed;
}

LoadStep StartTextLoadFromDocument(HWND edit, bool modified, const wchar_t* label)
{
    HWND source = g_app.hwndEdit;
    const LONG positions = TextPositions(source);
    size_t length = positions > 0 ? static_cast<size_t>(positions) : 0;
    HeapBuffer owner((length + 1) * sizeof(wchar_t));
    if (!owner) {
        DestroyWindow(edit);
        return LoadStep::Failed;
    }
    auto* text = owner.as<wchar_t>();
    // Enough for the first screen now; the rest is read from the loop.
    size_t filled = ReadPositions(source, text, 0, std::min(length, t_pieces.first + 2));
    if (filled < std::min(length, t_pieces.first + 2)) length = filled;
    // A surrogate pair is not split: its second half comes with the next read.
    if (filled < length && filled > 0 && IS_HIGH_SURROGATE(text[filled - 1])) --filled;
    return Begin(edit, std::move(owner), text, length, filled, modified, label);
}

void LandTextLoad(CHARRANGE selection)
{
    if (!t_load.running) return;
    t_load.land = true;
    t_load.landing = selection;
}

bool TextLoadRunning()
{
    return t_load.running != 0;
}

bool TextLoadModified()
{
    return t_load.running && t_load.modified;
}

bool TextLoadFinishing()
{
    return t_load.finishing != 0;
}

int DocumentWordWrap()
{
    return t_load.running ? t_load.wrap : g_app.wordWrap;
}

LoadStep StepTextLoad()
{
    if (!t_load.running) return LoadStep::Idle;
    // A turn of its own: under Wine destroying a control of 8 M characters takes 0.1 s.
    if (HWND going = std::exchange(t_load.going, nullptr)) {
        DestroyWindow(going);
        return LoadStep::More;
    }
    const double start = NowMs();
    if (t_load.filled < t_load.length) {
        ReadAhead(start);
        // Unwrapped, the widths of all the lines are known before the next piece goes in.
        if (!t_load.widthSettled && t_load.filled < t_load.length) return LoadStep::More;
    }
    if (!t_load.widthSettled) SettleWidth();
    size_t limit = t_load.filled;
    if (limit < t_load.length && IS_HIGH_SURROGATE(t_load.text[limit - 1])) --limit;
    if (t_load.pos >= limit && t_load.pos < t_load.length) return LoadStep::More;

    auto* piece = t_load.piece.as<wchar_t>();
    const size_t units = NextControlChunk(t_load.text, limit, t_load.pos, piece, t_load.pieceUnits);
    piece[units] = L'\0';
    // Every CR of the control's form is the first half of a CR LF: one position for the two.
    const auto positions = static_cast<LONG>(units - static_cast<size_t>(std::count(piece, piece + units, L'\r')));
    if ((units == 0 && t_load.pos < t_load.length) || !AppendPiece(t_load.edit, piece, positions)) {
        Revert();
        return LoadStep::Failed;
    }
    CountMore(piece, units, t_load.counts, t_load.inWord);
    if (t_load.pos >= t_load.length) {
        HWND edit = t_load.edit;
        HWND previous = t_load.previous;
        Complete(edit, t_load.modified != 0);
        TakeCounts(t_load.counts);
        if (t_load.land) {
            SendMessageW(edit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&t_load.landing));
            ScrollCaretIntoView(edit);
        }
        g_app.wordWrap = t_load.wrap;
        Release();
        EndProgress();
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
    const int outer = t_load.finishing;
    t_load.finishing = 1;
    // A failed piece may put the text from before in again: that is finished too.
    bool failed = false;
    LoadStep step = LoadStep::More;
    while (t_load.running) {
        step = StepTextLoad();
        failed = failed || step == LoadStep::Failed;
        if (step == LoadStep::More) PaintWaiting();
    }
    t_load.finishing = outer;
    return failed ? LoadStep::Failed : step;
}

void LetPreviousControlGo(HeapBuffer before, size_t length, bool modified)
{
    if (!t_load.running || !t_load.previous || !before) return;
    t_load.before = std::move(before);
    t_load.beforeLength = length;
    t_load.beforeModified = modified ? 1 : 0;
    SetWindowLongPtrW(t_load.previous, GWLP_ID, 0);
    t_load.going = std::exchange(t_load.previous, nullptr);
}

void CancelTextLoad()
{
    if (!t_load.running) return;
    HWND previous = t_load.previous;
    SendMessageW(t_load.edit, EM_SETREADONLY, FALSE, 0);
    SendMessageW(t_load.edit, EM_SETEVENTMASK, 0, ENM_CHANGE);
    Release();
    EndProgress();
    if (previous) DestroyWindow(previous);
}

void DropReplacedControl()
{
    StopRetireTimer();
    while (DestroyOldestRetired()) {
    }
}

void NoteLoadSelection(HWND edit)
{
    if (!t_load.running || edit != t_load.edit) return;
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    if (sel.cpMin == sel.cpMax) {
        t_load.anchor = t_load.active = sel.cpMin;
    } else if (t_load.anchor == sel.cpMax) {
        t_load.active = sel.cpMin;
    } else if (t_load.anchor == sel.cpMin) {
        t_load.active = sel.cpMax;
    } else {
        // A selection made anew (a double click): from its start.
        t_load.anchor = sel.cpMin;
        t_load.active = sel.cpMax;
    }
}

void SetTextLoadPieces(size_t atOnce, size_t first, size_t smallest, size_t largest)
{
    t_pieces = kDefaultPieces;
    if (!atOnce && !first && !smallest && !largest) return;
    smallest = std::max<size_t>(smallest, 2);
    t_pieces = {atOnce, std::max<size_t>(first, 1), smallest, std::max(largest, smallest)};
}
