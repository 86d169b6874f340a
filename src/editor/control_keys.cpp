#include "editor/control_keys.h"

#include <windows.h>

namespace {

bool IsModifier(uintptr_t key)
{
    // Ctrl with either Shift sets the reading direction on Windows.
    return key == VK_SHIFT || key == VK_CONTROL || key == VK_MENU || (key >= VK_LSHIFT && key <= VK_RMENU);
}

bool IsMovingOrDeleting(uintptr_t key)
{
    return key == VK_BACK || key == VK_DELETE || (key >= VK_PRIOR && key <= VK_DOWN); // PgUp, PgDn, End, Home, arrows
}

} // namespace

ControlKey ControlKeyFor(uintptr_t key, bool ctrl, bool alt, bool shift)
{
    if (IsModifier(key)) return ControlKey::Pass;
    if (!ctrl) {
        if (key == VK_INSERT && shift) return ControlKey::Paste;
        if (key == VK_RETURN && shift) return ControlKey::Enter;
        return ControlKey::Pass;
    }
    if (alt) return ControlKey::Drop;
    if (key == 'V') return ControlKey::Paste;
    if (IsMovingOrDeleting(key)) return ControlKey::Pass;
    if (shift) return ControlKey::Drop;
    switch (key) {
    case 'C':
    case 'X':
    case 'Z':
    case 'Y':
    case 'A':
    case VK_INSERT: return ControlKey::Pass;
    default: return ControlKey::Drop;
    }
}
