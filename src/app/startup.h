#pragma once

#include <windows.h>

inline constexpr wchar_t kMainClassName[] = L"JotwellClass";

// Start-up, the message loop, and the process's exit code.
int RunApplication();

// Start-up up to the loop: library, class, menu, window, theme, first status text.
// Returns false when the program must end without a window.
bool StartApplication();

// One message through the loop's rules (Find/Replace dialog, shortcut table, dispatch).
void ProcessLoopMessage(MSG& msg);
// What the loop does when no message waits: the next piece of a text being loaded. True while
// there is more to do.
bool DoIdleWork();
