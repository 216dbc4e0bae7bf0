#pragma once
// A registry value of the current user set for the life of an object and
// given back as it was (or removed) when it ends.  Wine reads such settings
// when a process starts: set them before the program under test starts.
#include <windows.h>

#include <string>
#include <vector>

namespace scenario {

class ScopedRegistryValue {
public:
    // A REG_DWORD or a REG_SZ value under HKEY_CURRENT_USER\key.
    ScopedRegistryValue(const wchar_t* key, const wchar_t* name, DWORD value);
    ScopedRegistryValue(const wchar_t* key, const wchar_t* name, const wchar_t* value);
    ~ScopedRegistryValue();
    ScopedRegistryValue(const ScopedRegistryValue&) = delete;
    ScopedRegistryValue& operator=(const ScopedRegistryValue&) = delete;
    bool Set() const { return set_; }

private:
    void Apply(DWORD type, const void* data, DWORD bytes);
    std::wstring key_, name_;
    bool set_ = false, existed_ = false;
    DWORD old_type_ = 0;
    std::vector<BYTE> old_data_;
};

// The screen at 144 DPI (150 %) for processes started while it lives, with
// DPI virtualisation as Windows has it: Wine makes every process DPI-aware
// unless DpiScalingVer is set, and then only a manifest that declares it
// (or SetProcessDPIAware: the target double) makes one aware.  A process
// started before, the test itself, keeps 96 DPI and sees the rectangles of
// aware windows scaled by 96 / 144.
struct HighDpiScreen {
    ScopedRegistryValue log_pixels{L"Control Panel\\Desktop", L"LogPixels", 144};
    ScopedRegistryValue scaling{L"Control Panel\\Desktop", L"DpiScalingVer", 0x1000};
    bool Set() const { return log_pixels.Set() && scaling.Set(); }
};

}  // namespace scenario
