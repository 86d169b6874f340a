#pragma once

// The About box's text: the product line, an empty line and four credit lines.
extern const wchar_t kAboutText[];

void BuildMenuBar();
// Greys or enables Undo, Cut, Copy, Paste and Delete as the whole document would have them; moves
// the Word Wrap check and the Theme and Encoding radio marks.
void UpdateMenuState();
void DoSelectAll();
void ShowAboutBox();
