#pragma once
// The test process as a host of the hook library: a copy of Ostrilix.dll of
// its own (so nothing else in this process holds the module), loaded here,
// with its hook procedures at hand to install or to call directly.
#include <windows.h>

#include <string>

namespace scenario {

struct OwnLibrary {
    std::wstring path;
    HMODULE module = nullptr;
    HOOKPROC mouse_proc = nullptr;      // WH_MOUSE
    HOOKPROC call_wnd_proc = nullptr;   // WH_CALLWNDPROC
    HOOKPROC get_msg_proc = nullptr;    // WH_GETMESSAGE

    // Copies the built library into a fresh directory named after the tag
    // and loads it; false when any of the above is missing.
    bool Load(const wchar_t* tag);
    template <typename Fn>
    Fn Export(const char* name) const
    {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
    }
};

// The image of that file is mapped in this process.
bool Mapped(const std::wstring& path);

}  // namespace scenario
