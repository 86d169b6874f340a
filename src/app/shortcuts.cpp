#include "app/shortcuts.h"

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
