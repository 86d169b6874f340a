#include "editor/word_wrap.h"

void ToggleWordWrap() {}
