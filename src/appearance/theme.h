#pragma once

void ApplyTheme();
void SetThemeMode(int mode);
void OnSettingChange();
void CheckThemeMenuItem();
void ApplyEditColors();
void ResolveDarkMode();
int QuerySystemDarkMode();
void ApplyTitleBarTheme();
