// The form of a path the file functions are given, decided without touching the disk.
#pragma once

#include <string>

// A path the file functions accept even when a temporary name makes it longer than MAX_PATH:
// a full drive or UNC path that long takes the \\?\ or \\?\UNC\ form; any other path stays as given.
std::wstring LongPath(const std::wstring& path);
