#include "document/caption.h"

#include <windows.h>

const wchar_t* FileNamePart(const wchar_t* path)
{
    const wchar_t* name = path;
    for (const wchar_t* p = path; *p; ++p)
        if (*p == L'\\' || *p == L'/' || *p == L':') name = p + 1;
    return name;
}

void FormatCaption(const wchar_t* path, bool modified, wchar_t (&out)[kCaptionChars])
{
    const wchar_t* name = path[0] ? FileNamePart(path) : L"Untitled";
    // The name is at most 259 units, so the caption always fits.
    lstrcpynW(out, modified ? L"*" : L"", kCaptionChars);
    const int used = lstrlenW(out);
    lstrcpynW(out + used, name, kCaptionChars - used - 10);
    lstrcatW(out, L" - Jotwell");
}
