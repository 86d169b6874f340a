#include "app/load_rules.h"

#include "base/command_ids.h"

#include <windows.h>
#include <commdlg.h>

WhileLoading CommandWhileLoading(unsigned id, bool changedText)
{
    switch (id) {
    case ID_FILE_NEW:
    case ID_FILE_OPEN:
    case ID_FILE_EXIT: return changedText ? WhileLoading::FinishFirst : WhileLoading::RunNow;
    case ID_FILE_SAVE:
    case ID_FILE_SAVEAS:
    case ID_FILE_PRINT:
    case ID_EDIT_UNDO:
    case ID_EDIT_CUT:
    case ID_EDIT_PASTE:
    case ID_EDIT_DELETE:
    case ID_EDIT_SELECTALL:
    case ID_EDIT_FINDNEXT:
    case ID_EDIT_FINDPREV:
    case ID_FORMAT_WORDWRAP:
    case ID_FORMAT_ENCODING_UTF16LE:
    case ID_FORMAT_ENCODING_UTF8:
    case ID_FORMAT_ENCODING_UTF8BOM: return WhileLoading::FinishFirst;
    // Copy takes the selection, which lies in what has arrived; the dialogs, the bar, the theme
    // and About read nothing of the text.
    default: return WhileLoading::RunNow;
    }
}

WhileLoading SearchWhileLoading(unsigned long flags)
{
    return flags & (FR_FINDNEXT | FR_REPLACE | FR_REPLACEALL) ? WhileLoading::FinishFirst : WhileLoading::RunNow;
}

namespace {

bool ChangesTextAsCharacter(uintptr_t ch)
{
    // Other control characters (Ctrl+C gives 3) type nothing.
    return ch >= 0x20 || ch == L'\t' || ch == L'\r' || ch == L'\n' || ch == L'\b';
}

WhileLoading KeyDown(uintptr_t key, bool ctrl, bool shift)
{
    switch (key) {
    case VK_END: return ctrl ? WhileLoading::FinishFirst : WhileLoading::RunNow;
    case VK_DELETE:
    case VK_BACK:
    case VK_RETURN:
    case VK_TAB: return WhileLoading::FinishFirst;
    case VK_INSERT: return shift && !ctrl ? WhileLoading::FinishFirst : WhileLoading::RunNow; // Shift+Insert pastes
    case 'X':
    case 'V':
    case 'Z':
    case 'Y': return ctrl ? WhileLoading::FinishFirst : WhileLoading::RunNow;
    default: return WhileLoading::RunNow;
    }
}

} // namespace

WhileLoading InputWhileLoading(unsigned message, uintptr_t key, bool ctrl, bool alt, bool shift)
{
    switch (message) {
    case WM_KEYDOWN: return KeyDown(key, ctrl, shift);
    // Alt+Backspace is Undo in Windows' edit fields.
    case WM_SYSKEYDOWN: return key == VK_BACK && alt ? WhileLoading::FinishFirst : WhileLoading::RunNow;
    case WM_CHAR: return ChangesTextAsCharacter(key) ? WhileLoading::FinishFirst : WhileLoading::RunNow;
    case WM_UNICHAR:
    case WM_IME_CHAR:
    case WM_IME_STARTCOMPOSITION:
    case WM_IME_COMPOSITION: return WhileLoading::FinishFirst;
    default: return WhileLoading::RunNow;
    }
}
