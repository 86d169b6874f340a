#include "document/save_path.h"

#include <algorithm>

namespace {

// MAX_PATH: 259 characters and the terminating zero are as much as the plain functions take.
constexpr size_t kPlainPathLimit = 260;

bool IsSeparator(wchar_t ch)
{
    return ch == L'\\' || ch == L'/';
}

} // namespace

std::wstring LongPath(const std::wstring& path)
{
    if (path.size() < kPlainPathLimit) return path;
    std::wstring extended;
    if (IsSeparator(path[0]) && IsSeparator(path[1])) {
        // \\?\ and \\.\ paths already go to the device as they are.
        if ((path[2] == L'?' || path[2] == L'.') && IsSeparator(path[3])) return path;
        extended = L"\\\\?\\UNC\\" + path.substr(2);
    } else if (path[1] == L':' && IsSeparator(path[2])) {
        extended = L"\\\\?\\" + path;
    } else {
        // A relative path would need the current folder to become a full one.
        return path;
    }
    // The prefix turns off the conversion of '/' that the plain functions do.
    std::replace(extended.begin(), extended.end(), L'/', L'\\');
    return extended;
}
