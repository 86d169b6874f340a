// What a command does while a text is still arriving, without a window: act at once on the part
// that has arrived, or first put the rest in and then act as if it had all been there.
#pragma once

#include <cstdint>

enum class WhileLoading {
    RunNow,      // reading, moving, selecting, copying what has arrived; stopping a file's load
    FinishFirst, // everything that changes, saves, prints or searches the text, or needs all of it
};

// A menu command (its WM_COMMAND id; the shortcuts give the same ids). New, Open, a drop and
// closing drop the arriving text of a file, which has nothing to save; a changed text being
// re-wrapped is put in whole first, so that the unsaved-changes question is about all of it.
WhileLoading CommandWhileLoading(unsigned id, bool changedText);

// A notification of the Find or Replace dialog (its FR_ bits): Find Next, Replace, Replace All.
WhileLoading SearchWhileLoading(unsigned long flags);

// A message the loop is about to hand to the text control: WM_KEYDOWN, WM_SYSKEYDOWN, WM_CHAR and
// the input method's characters, with the modifiers held. Keys that move the caret or select
// with the arrow and page keys run at once, except Ctrl+End (the end of the whole text); every
// key or character that would change the text waits for all of it.
WhileLoading InputWhileLoading(unsigned message, uintptr_t key, bool ctrl, bool alt, bool shift);
