#pragma once

#include <cstdint>

void ShowFindDialog();
void ShowReplaceDialog();
void InitFindReplace();
void FindNext();
void FindPrevious();
void DoReplace();
// Returns the number of replacements made.
uint32_t DoReplaceAll();
