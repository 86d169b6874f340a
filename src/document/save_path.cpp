#include "document/save_path.h"

#include <windows.h>

std::wstring LongPath(const std::wstring& path)
{
    if (path.size() < MAX_PATH || path.rfind(L"\\\\", 0) == 0) return path;
    return L"\\\\?\\" + path;
}
