#include "document/document.h"

#include "app/app_state.h"

void UpdateTitle() {}
int PromptSaveChanges() { return 1; }
void DoFileNew() {}
void DoFileOpen() {}
int DoFileSave() { return 0; }
int DoFileSaveAs() { return 0; }
