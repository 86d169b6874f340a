#include "appearance/theme.h"

void ApplyTheme() {}
void SetThemeMode(int) {}
void OnSettingChange() {}
void CheckThemeMenuItem() {}
void ApplyEditColors() {}
void ResolveDarkMode() {}
int QuerySystemDarkMode() { return 0; }
void ApplyTitleBarTheme() {}
