#pragma once
// Functions newer than Windows 2000, and DLLs that a plain Windows 2000 lacks
// (gdiplus.dll), are bound at run time and never imported: the loader refuses
// an image with a single import it cannot resolve.  A null function is the
// answer of an older system, and every caller keeps a path for it.
//   using GetLayeredFn = BOOL(WINAPI*)(HWND, COLORREF*, BYTE*, DWORD*);
//   if (auto get = LoadedSystemFunction<GetLayeredFn>(L"user32.dll", "GetLayeredWindowAttributes"))
#include <windows.h>

// A function of a DLL that the process has loaded already (kernel32, user32,
// gdi32 and the other DLLs the image imports): nothing is loaded and no
// reference taken, so the hook library may call it anywhere.
template <typename Fn>
Fn LoadedSystemFunction(const wchar_t* module, const char* name)
{
    HMODULE handle = GetModuleHandleW(module);
    return handle ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(handle, name))) : nullptr;
}

// A system DLL loaded from the system directory only (never from the
// program's or the current directory) and never freed: for a DLL that the
// hook library needs in a process only once a feature acts there, and keeps
// while the process lives.  Not from DllMain.  Null when it cannot be loaded.
HMODULE LoadSystemLibraryForGood(const wchar_t* file_name);

// A system DLL, loaded from the system directory only (never from the
// program's or the current directory, where anyone may leave a DLL of that
// name) and held while this object lives.  For the program: the hook library
// loads no DLL.  Takes a plain file name such as L"gdiplus.dll".
class SystemLibrary {
public:
    explicit SystemLibrary(const wchar_t* file_name);
    ~SystemLibrary();
    SystemLibrary(const SystemLibrary&) = delete;
    SystemLibrary& operator=(const SystemLibrary&) = delete;

    explicit operator bool() const { return module_ != nullptr; }
    HMODULE Module() const { return module_; }
    template <typename Fn>
    Fn Function(const char* name) const
    {
        return module_ ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
    }

private:
    HMODULE module_ = nullptr;
};
