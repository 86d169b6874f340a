#include "editor/big_edit.h"

#include "base/app_state.h"
#include "base/messages.h"
#include "editor/edit_control.h"
#include "editor/edit_rules.h"
#include "editor/plain_paste.h"
#include "editor/status_bar.h"
#include "editor/text_load.h"

#include <richedit.h>

#include <algorithm>
#include <cwchar>
#include <utility>

namespace {

// An edit the program made itself: at `start`, `removed` gave way to `inserted`, one unit a
// position. Applying it the other way round takes it back.
struct EditStep {
    // The control that shows the text the step leads to: the step applies to that text only.
    HWND control = nullptr;
    LONG start = 0;
    HeapBuffer removed{0};
    size_t removedLength = 0;
    HeapBuffer inserted{0};
    size_t insertedLength = 0;
};
EditStep t_undo;
EditStep t_redo;
EditPath t_path = EditPath::Measured;

LONG Positions(HWND edit)
{
    GETTEXTLENGTHEX query = {GTL_DEFAULT, 1200};
    return static_cast<LONG>(SendMessageW(edit, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&query), 0));
}

HeapBuffer Copy(const wchar_t* text, size_t length)
{
    HeapBuffer copy((length + 1) * sizeof(wchar_t));
    if (copy && length) wmemcpy(copy.as<wchar_t>(), text, length);
    return copy;
}

// The selection inside the text: Select All takes in the control's final paragraph mark too.
CHARRANGE Selection(HWND edit)
{
    CHARRANGE sel = {};
    SendMessageW(edit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
    const LONG length = Positions(edit);
    sel.cpMin = std::clamp<LONG>(sel.cpMin, 0, length);
    sel.cpMax = std::clamp<LONG>(sel.cpMax, sel.cpMin, length);
    return sel;
}

size_t Row(HWND edit, LONG at)
{
    const LRESULT row = SendMessageW(edit, EM_EXLINEFROMCHAR, 0, at);
    return row > 0 ? static_cast<size_t>(row) : 0;
}

bool IsBig(LONG start, LONG end, const wchar_t* with, size_t withLength)
{
    if (t_path != EditPath::Measured) return t_path == EditPath::Pieces;
    HWND edit = g_app.hwndEdit;
    const auto breaks = static_cast<size_t>(std::count(with, with + withLength, L'\r'));
    const LRESULT rows = SendMessageW(edit, EM_GETLINECOUNT, 0, 0);
    return EditIsBig(Row(edit, end) - Row(edit, start), breaks, withLength, rows > 0 ? static_cast<size_t>(rows) : 1);
}

bool Applies(const EditStep& step)
{
    return step.control && step.control == g_app.hwndEdit;
}

// Steps for a text no longer shown (another document, a re-wrap, a failed edit) go.
void DropStaleSteps()
{
    if (t_undo.control && !Applies(t_undo)) t_undo = {};
    if (t_redo.control && !Applies(t_redo)) t_redo = {};
}

// Puts text[0, start) + with + text[end, length) into a new control as a load does, the selection
// landing at `landing` once it is all in; `back` becomes the step that takes it back. False
// after the out-of-memory message: then nothing changed.
bool PutInPieces(const wchar_t* text, size_t length, LONG start, LONG end, const wchar_t* with, size_t withLength,
                 CHARRANGE landing, EditStep& back)
{
    const auto from = static_cast<size_t>(start);
    const auto to = static_cast<size_t>(end);
    const size_t newLength = length - (to - from) + withLength;
    HeapBuffer buffer((newLength + 1) * sizeof(wchar_t));
    EditStep step;
    step.start = start;
    step.removed = Copy(text + from, to - from);
    step.removedLength = to - from;
    step.inserted = Copy(with, withLength);
    step.insertedLength = withLength;
    if (!buffer || !step.removed || !step.inserted) {
        ShowOutOfMemoryMessage();
        return false;
    }
    auto* units = buffer.as<wchar_t>();
    wmemcpy(units, text, from);
    wmemcpy(units + from, with, withLength);
    wmemcpy(units + from + withLength, text + to, length - to);

    // The text from before, should the new one not go in: then the control that holds it need
    // not wait beside the new one (two controls of 8 M characters take 1.8 GB under Wine).
    HeapBuffer before = Copy(text, length);
    const bool modified = SendMessageW(g_app.hwndEdit, EM_GETMODIFY, 0, 0) != 0;
    const LoadStep started = StartTextLoadInNewControl(std::move(buffer), units, newLength, true, L"Editing...");
    if (started == LoadStep::Failed) {
        ShowOutOfMemoryMessage();
        return false;
    }
    if (started == LoadStep::Done) {
        SendMessageW(g_app.hwndEdit, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&landing));
        ScrollCaretIntoView(g_app.hwndEdit);
    } else {
        LandTextLoad(landing);
        LetPreviousControlGo(std::move(before), length, modified);
    }
    step.control = g_app.hwndEdit;
    back = std::move(step);
    UpdateStatusBar();
    return true;
}

// The selection gives way to with[0, withLength) (one unit a position), as a load does when the
// control would take too long: true then (also when memory ran out, after the message).
bool ReplaceSelectionIfBig(const wchar_t* with, size_t withLength, bool cut)
{
    const CHARRANGE sel = Selection(g_app.hwndEdit);
    // A key typed at the caret is never big, and costs nothing new.
    if (sel.cpMin == sel.cpMax && withLength <= 1) return false;
    if (!IsBig(sel.cpMin, sel.cpMax, with, withLength)) return false;
    WaitCursor wait;
    size_t length = 0;
    const HeapBuffer text = ReadPositionText(length);
    if (!text || static_cast<size_t>(sel.cpMax) > length) {
        ShowOutOfMemoryMessage();
        return true;
    }
    const wchar_t* units = text.as<wchar_t>();
    if (cut && !PutOnClipboard(g_app.hwndMain, units + sel.cpMin, static_cast<size_t>(sel.cpMax - sel.cpMin)))
        return true;
    const LONG caret = sel.cpMin + static_cast<LONG>(withLength);
    if (PutInPieces(units, length, sel.cpMin, sel.cpMax, with, withLength, {caret, caret}, t_undo)) t_redo = {};
    return true;
}

// Takes `step` the other way round: what it inserted gives way to what it removed, the caret
// after that, as the control's own Undo leaves it; `opposite` becomes the step that redoes it.
void Apply(EditStep& step, EditStep& opposite)
{
    WaitCursor wait;
    size_t length = 0;
    const HeapBuffer text = ReadPositionText(length);
    const auto from = static_cast<size_t>(step.start);
    // Should the text no longer hold what the step put there, it cannot be taken back.
    if (!text || from + step.insertedLength > length ||
        wmemcmp(text.as<wchar_t>() + from, step.inserted.as<wchar_t>(), step.insertedLength) != 0) {
        step = {};
        MessageBeep(MB_OK);
        return;
    }
    const LONG caret = step.start + static_cast<LONG>(step.removedLength);
    EditStep back;
    if (!PutInPieces(text.as<wchar_t>(), length, step.start, step.start + static_cast<LONG>(step.insertedLength),
                     step.removed.as<wchar_t>(), step.removedLength, {caret, caret}, back))
        return;
    step = {};
    opposite = std::move(back);
}

// The clipboard's text as the control would hold it, one unit a position; empty when there is
// none or it cannot be had.
HeapBuffer ClipboardPositions(size_t& length)
{
    length = 0;
    size_t raw = 0;
    const HeapBuffer text = ClipboardText(g_app.hwndMain, raw);
    if (!text) return HeapBuffer(0);
    HeapBuffer units((raw + 1) * sizeof(wchar_t));
    if (units) length = ToPositionForm(text.as<wchar_t>(), raw, units.as<wchar_t>());
    return units;
}

bool ReadOnly()
{
    return (GetWindowLongPtrW(g_app.hwndEdit, GWL_STYLE) & ES_READONLY) != 0;
}

} // namespace

HeapBuffer ReadPositionText(size_t& length)
{
    length = 0;
    const LONG positions = Positions(g_app.hwndEdit);
    HeapBuffer text((static_cast<size_t>(std::max<LONG>(positions, 0)) + 1) * sizeof(wchar_t));
    if (!text) return text;
    TEXTRANGEW range = {{0, positions}, text.as<wchar_t>()};
    const LRESULT got = SendMessageW(g_app.hwndEdit, EM_GETTEXTRANGE, 0, reinterpret_cast<LPARAM>(&range));
    length = got > 0 ? static_cast<size_t>(got) : 0;
    return text;
}

bool TakeEditKey(UINT message, uintptr_t key, bool ctrl, bool alt, bool shift)
{
    const EditKey edit = EditKeyFor(message, key, ctrl, alt, shift);
    if (edit.kind == EditKind::None) return false;
    // A key typed or deleted at the caret, the most common of all, asks nothing more.
    if (edit.kind == EditKind::Type || edit.kind == EditKind::Delete) {
        CHARRANGE sel = {};
        SendMessageW(g_app.hwndEdit, EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&sel));
        if (sel.cpMin == sel.cpMax) return false;
    }
    if (ReadOnly()) return false;
    DropStaleSteps();
    HWND control = g_app.hwndEdit;
    switch (edit.kind) {
    case EditKind::Delete: return ReplaceSelectionIfBig(L"", 0, false);
    case EditKind::Cut: return ReplaceSelectionIfBig(L"", 0, true);
    case EditKind::Paste: {
        size_t length = 0;
        const HeapBuffer text = ClipboardPositions(length);
        return text && ReplaceSelectionIfBig(text.as<wchar_t>(), length, false);
    }
    case EditKind::Type: return ReplaceSelectionIfBig(&edit.unit, 1, false);
    case EditKind::Undo:
        if (SendMessageW(control, EM_CANUNDO, 0, 0) || !Applies(t_undo)) return false;
        Apply(t_undo, t_redo);
        return true;
    case EditKind::Redo:
        if (SendMessageW(control, EM_CANREDO, 0, 0) || SendMessageW(control, EM_CANUNDO, 0, 0) || !Applies(t_redo))
            return false;
        Apply(t_redo, t_undo);
        return true;
    case EditKind::None: break;
    }
    return false;
}

void CutSelection()
{
    if (!ReplaceSelectionIfBig(L"", 0, true)) SendMessageW(g_app.hwndEdit, WM_CUT, 0, 0);
}

void DeleteSelection()
{
    if (!ReplaceSelectionIfBig(L"", 0, false)) SendMessageW(g_app.hwndEdit, WM_CLEAR, 0, 0);
}

void PasteClipboard()
{
    if (ReadOnly()) return;
    size_t length = 0;
    const HeapBuffer text = ClipboardPositions(length);
    if (!text || ReplaceSelectionIfBig(text.as<wchar_t>(), length, false)) return;
    // Its line breaks are CRs now, as the control reads them.
    ReplaceSelectionWith(g_app.hwndEdit, text.as<wchar_t>(), length);
}

void UndoEdit()
{
    DropStaleSteps();
    if (SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0) || !Applies(t_undo)) {
        SendMessageW(g_app.hwndEdit, EM_UNDO, 0, 0);
        return;
    }
    Apply(t_undo, t_redo);
}

void RedoEdit()
{
    DropStaleSteps();
    HWND control = g_app.hwndEdit;
    if (SendMessageW(control, EM_CANREDO, 0, 0) || SendMessageW(control, EM_CANUNDO, 0, 0) || !Applies(t_redo)) {
        SendMessageW(control, EM_REDO, 0, 0);
        return;
    }
    Apply(t_redo, t_undo);
}

bool CanUndoEdit()
{
    DropStaleSteps();
    if (Applies(t_undo)) return true;
    return !TextLoadRunning() && SendMessageW(g_app.hwndEdit, EM_CANUNDO, 0, 0) != 0;
}

bool ReplaceRangeIfBig(LONG start, LONG end, const wchar_t* with, size_t withLength, const wchar_t* text,
                       size_t length)
{
    if (!IsBig(start, end, with, withLength)) return false;
    DropStaleSteps();
    const LONG caret = start + static_cast<LONG>(withLength);
    if (PutInPieces(text, length, start, end, with, withLength, {caret, caret}, t_undo)) t_redo = {};
    return true;
}

void SetEditPath(EditPath path)
{
    t_path = path;
}
