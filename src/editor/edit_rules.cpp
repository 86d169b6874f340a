#include "editor/edit_rules.h"

#include <windows.h>

EditKey EditKeyFor(unsigned message, uintptr_t key, bool ctrl, bool alt, bool shift)
{
    if (message == WM_CHAR) {
        // Control characters other than Tab and Enter type nothing (Ctrl+C gives 3).
        if (key == L'\t' || key == L'\r' || (key >= 0x20 && key != 0x7F)) return {EditKind::Type, static_cast<wchar_t>(key)};
        return {};
    }
    if (message != WM_KEYDOWN || alt) return {};
    switch (key) {
    case VK_DELETE: return {shift && !ctrl ? EditKind::Cut : EditKind::Delete, 0};
    case VK_BACK: return {EditKind::Delete, 0};
    case VK_RETURN: return ctrl ? EditKey{} : EditKey{EditKind::Type, L'\r'};
    case VK_TAB: return ctrl || shift ? EditKey{} : EditKey{EditKind::Type, L'\t'};
    case VK_INSERT: return shift && !ctrl ? EditKey{EditKind::Paste, 0} : EditKey{};
    case 'X': return ctrl && !shift ? EditKey{EditKind::Cut, 0} : EditKey{};
    case 'V': return ctrl && !shift ? EditKey{EditKind::Paste, 0} : EditKey{};
    case 'Z': return ctrl && !shift ? EditKey{EditKind::Undo, 0} : EditKey{};
    case 'Y': return ctrl && !shift ? EditKey{EditKind::Redo, 0} : EditKey{};
    default: return {};
    }
}

double EditMilliseconds(size_t rowsRemoved, size_t breaksInserted, size_t unitsInserted, size_t documentRows)
{
    const double rows = static_cast<double>(documentRows);
    return (150e-6 * static_cast<double>(rowsRemoved) * rows + 40e-6 * static_cast<double>(breaksInserted) * rows +
            1e-3 * static_cast<double>(unitsInserted));
}

bool EditIsBig(size_t rowsRemoved, size_t breaksInserted, size_t unitsInserted, size_t documentRows)
{
    return EditMilliseconds(rowsRemoved, breaksInserted, unitsInserted, documentRows) > kBigEditMs;
}

size_t ToPositionForm(const wchar_t* text, size_t length, wchar_t* out)
{
    size_t n = 0;
    for (size_t pos = 0; pos < length; ++pos) {
        const wchar_t unit = text[pos];
        if (unit == L'\r' || unit == L'\n') {
            out[n++] = L'\r';
            if (unit == L'\r' && pos + 1 < length && text[pos + 1] == L'\n') ++pos;
        } else {
            out[n++] = unit;
        }
    }
    return n;
}
