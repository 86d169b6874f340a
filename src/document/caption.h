#pragma once

inline constexpr int kCaptionChars = 520;

// The main window's caption for a document path (empty = untitled) and modified state:
// "Untitled - Jotwell", "*Untitled - Jotwell", "name - Jotwell" or "*name - Jotwell".
void FormatCaption(const wchar_t* path, bool modified, wchar_t (&out)[kCaptionChars]);

// The text after the last path separator.
const wchar_t* FileNamePart(const wchar_t* path);
