#include "support/registry_value.h"

ScopedRegistryDword::ScopedRegistryDword(const wchar_t* subkey, const wchar_t* name) : subkey_(subkey), name_(name)
{
    DWORD cb = sizeof(old_);
    had_ = RegGetValueW(HKEY_CURRENT_USER, subkey, name, RRF_RT_REG_DWORD, nullptr, &old_, &cb) == ERROR_SUCCESS;
}

ScopedRegistryDword::~ScopedRegistryDword()
{
    if (had_)
        Set(old_);
    else
        Remove();
}

void ScopedRegistryDword::Set(DWORD value)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, subkey_.c_str(), name_.c_str(), REG_DWORD, &value, sizeof(value));
}

void ScopedRegistryDword::Remove()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, subkey_.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name_.c_str());
        RegCloseKey(key);
    }
}
