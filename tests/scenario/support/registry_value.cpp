#include "tests/scenario/support/registry_value.h"

namespace scenario {

ScopedRegistryValue::ScopedRegistryValue(const wchar_t* key, const wchar_t* name, DWORD value)
    : key_(key), name_(name)
{
    Apply(REG_DWORD, &value, sizeof value);
}

ScopedRegistryValue::ScopedRegistryValue(const wchar_t* key, const wchar_t* name, const wchar_t* value)
    : key_(key), name_(name)
{
    Apply(REG_SZ, value, DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
}

void ScopedRegistryValue::Apply(DWORD type, const void* data, DWORD bytes)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return;
    DWORD old_bytes = 0;
    if (RegQueryValueExW(key, name_.c_str(), nullptr, &old_type_, nullptr, &old_bytes) == ERROR_SUCCESS) {
        old_data_.resize(old_bytes);
        existed_ = RegQueryValueExW(key, name_.c_str(), nullptr, &old_type_, old_data_.data(), &old_bytes) ==
                   ERROR_SUCCESS;
    }
    set_ = RegSetValueExW(key, name_.c_str(), 0, type, static_cast<const BYTE*>(data), bytes) == ERROR_SUCCESS;
    RegCloseKey(key);
}

ScopedRegistryValue::~ScopedRegistryValue()
{
    HKEY key = nullptr;
    if (!set_ || RegOpenKeyExW(HKEY_CURRENT_USER, key_.c_str(), 0, KEY_WRITE, &key) != ERROR_SUCCESS)
        return;
    if (existed_)
        RegSetValueExW(key, name_.c_str(), 0, old_type_, old_data_.data(), DWORD(old_data_.size()));
    else
        RegDeleteValueW(key, name_.c_str());
    RegCloseKey(key);
}

}  // namespace scenario
