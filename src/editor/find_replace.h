#pragma once

#include <cstdint>

void ShowFindDialog();
void ShowReplaceDialog();
void InitFindReplace();
void FindNext();
void FindPrevious();
void DoReplace();
// Returns the number of replacements made. Marks the document modified; the caption is the
// caller's to refresh.
uint32_t DoReplaceAll();
