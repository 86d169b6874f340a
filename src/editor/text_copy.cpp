#include "editor/text_copy.h"

#include "base/app_state.h"

wchar_t* TextCopyBuffer(size_t units)
{
    if (units <= g_app.textCopyUnits) return g_app.textCopy;
    // The old contents are not needed: freed first, they leave the most room for the new.
    FreeTextCopyBuffer();
    // Room to grow, so that a document getting longer does not reallocate at every copy;
    // short of memory, the room is the first thing to give up.
    size_t room = units + units / 8 + 64;
    void* grown = HeapAlloc(GetProcessHeap(), 0, room * sizeof(wchar_t));
    if (!grown) {
        room = units;
        grown = HeapAlloc(GetProcessHeap(), 0, room * sizeof(wchar_t));
        if (!grown) return nullptr;
    }
    g_app.textCopy = static_cast<wchar_t*>(grown);
    g_app.textCopyUnits = room;
    return g_app.textCopy;
}

void FreeTextCopyBuffer()
{
    if (g_app.textCopy) HeapFree(GetProcessHeap(), 0, g_app.textCopy);
    g_app.textCopy = nullptr;
    g_app.textCopyUnits = 0;
}
