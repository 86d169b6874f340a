// Sets a DWORD under HKEY_CURRENT_USER for the lifetime of the object and puts back what was
// there before (or removes the value again), so that a failing test cannot leave the shared
// prefix changed for the tests after it.
#pragma once

#include <windows.h>

#include <string>

class ScopedRegistryDword {
public:
    ScopedRegistryDword(const wchar_t* subkey, const wchar_t* name);
    ~ScopedRegistryDword();
    ScopedRegistryDword(const ScopedRegistryDword&) = delete;
    ScopedRegistryDword& operator=(const ScopedRegistryDword&) = delete;

    void Set(DWORD value);
    void Remove();

private:
    std::wstring subkey_, name_;
    bool had_ = false;
    DWORD old_ = 0;
};

inline constexpr wchar_t kPersonalizeKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize";
