#include "editor/find_replace.h"

void ShowFindDialog() {}
void ShowReplaceDialog() {}
void InitFindReplace() {}
void FindNext() {}
void FindPrevious() {}
void DoReplace() {}
uint32_t DoReplaceAll() { return 0; }
