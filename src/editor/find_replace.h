#pragma once

#include <cstdint>

void ShowFindDialog();
void ShowReplaceDialog();
void InitFindReplace();
void FindNext();
void FindPrevious();
// Replaces the selection if it is a match, then finds the next; 1 when it replaced. Marks the
// document modified; the caption is the caller's to refresh.
int DoReplace();
// Returns the number of replacements made. Marks the document modified; the caption is the
// caller's to refresh.
uint32_t DoReplaceAll();
