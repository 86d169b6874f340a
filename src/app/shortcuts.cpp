#include "app/shortcuts.h"

#include "base/command_ids.h"

#include <windows.h>

Shortcut MatchShortcut(uintptr_t key, bool ctrl, bool alt, bool shift)
{
    // F3 ignores Ctrl and Alt; P ignores Alt; every other letter wants Ctrl without Alt.
    if (key == VK_F3) return shift ? Shortcut::FindPrevious : Shortcut::FindNext;
    if (!ctrl) return Shortcut::None;
    if (key == 'P') return Shortcut::Print;
    if (alt) return Shortcut::None;
    switch (key) {
    case 'A': return Shortcut::SelectAll;
    case 'N': return Shortcut::New;
    case 'F': return Shortcut::Find;
    case 'H': return Shortcut::Replace;
    case 'O': return Shortcut::Open;
    case 'S': return shift ? Shortcut::SaveAs : Shortcut::Save;
    default: return Shortcut::None;
    }
}

unsigned ShortcutCommand(Shortcut shortcut)
{
    switch (shortcut) {
    case Shortcut::SelectAll: return ID_EDIT_SELECTALL;
    case Shortcut::New: return ID_FILE_NEW;
    case Shortcut::Open: return ID_FILE_OPEN;
    case Shortcut::Save: return ID_FILE_SAVE;
    case Shortcut::SaveAs: return ID_FILE_SAVEAS;
    case Shortcut::Print: return ID_FILE_PRINT;
    case Shortcut::Find: return ID_EDIT_FIND;
    case Shortcut::Replace: return ID_EDIT_REPLACE;
    case Shortcut::FindNext: return ID_EDIT_FINDNEXT;
    case Shortcut::FindPrevious: return ID_EDIT_FINDPREV;
    case Shortcut::None: break;
    }
    return 0;
}
