#include "quornvale/tools/gdiplus_runtime.h"

#include <cwchar>

#include "common/debug_print.h"
#include "common/system_function.h"
#include "quornvale/shell/program_path.h"

namespace gdiplus {

namespace {
constexpr wchar_t kFileName[] = L"gdiplus.dll";

// FindActCtxSectionStringW (Windows XP) and the part of its answer that
// Windows XP fills; Windows 2000 has no activation contexts.
struct SectionKeyedData {
    ULONG size;
    ULONG data_format_version;
    void* data;
    ULONG length;
    void* section_global_data;
    ULONG section_global_data_length;
    void* section_base;
    ULONG section_total_length;
    HANDLE context;
    ULONG assembly_roster_index;
};
constexpr ULONG kDllRedirectionSection = 2;  // ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION
using FindSectionStringFn = BOOL(WINAPI*)(DWORD, const GUID*, ULONG, const wchar_t*, SectionKeyedData*);

// Whether the activation context in force (the program's manifest) names
// gdiplus.dll: then loading it by name finds the assembly's copy and no
// search path is walked.
bool ActivationContextHasGdiplus()
{
    auto find = LoadedSystemFunction<FindSectionStringFn>(L"kernel32.dll", "FindActCtxSectionStringW");
    if (!find)
        return false;
    SectionKeyedData data = {};
    data.size = sizeof data;
    // Without FIND_ACTCTX_SECTION_KEY_RETURN_HACTCX: no context handle to release.
    return find(0, nullptr, kDllRedirectionSection, kFileName, &data) != FALSE;
}

HMODULE LoadFromFolder(const wchar_t* folder, size_t folder_chars)
{
    wchar_t path[MAX_PATH];
    size_t name_chars = wcslen(kFileName);
    if (folder_chars == 0 || folder_chars + 1 + name_chars >= MAX_PATH)
        return nullptr;
    wmemcpy(path, folder, folder_chars);
    size_t at = folder_chars;
    if (path[at - 1] != L'\\')
        path[at++] = L'\\';
    wmemcpy(path + at, kFileName, name_chars + 1);
    if (!IsReadableFile(path))
        return nullptr;
    // Its own imports are looked up beside it first.
    HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!module)
        DebugPrint(L"Loading %ls failed, error %lu\n", path, GetLastError());
    return module;
}

template <typename Fn>
bool Bind(HMODULE library, Fn& fn, const char* name)
{
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (!fn)
        DebugPrintA("gdiplus.dll has no %s\n", name);
    return fn != nullptr;
}
}  // namespace

HMODULE LoadGdiplus()
{
    // Loaded already (the snapshot saver's thread, which may lack the
    // program's activation context, takes the copy the GUI thread found).
    if (HMODULE loaded = GetModuleHandleW(kFileName)) {
        wchar_t path[MAX_PATH];
        const DWORD length = GetModuleFileNameW(loaded, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH)
            if (HMODULE module = LoadLibraryExW(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH))
                return module;
    }
    if (ActivationContextHasGdiplus()) {
        if (HMODULE module = LoadLibraryW(kFileName)) {
            DebugPrint(L"gdiplus.dll loaded through the activation context\n");
            return module;
        }
        DebugPrint(L"gdiplus.dll of the activation context could not be loaded, error %lu\n", GetLastError());
    }
    wchar_t folder[MAX_PATH];
    int program_folder = GetModuleDirectory(nullptr, folder, MAX_PATH);
    if (HMODULE module = program_folder > 0 ? LoadFromFolder(folder, size_t(program_folder)) : nullptr) {
        DebugPrint(L"gdiplus.dll loaded from the program's folder\n");
        return module;
    }
    UINT system_folder = GetSystemDirectoryW(folder, MAX_PATH);
    if (HMODULE module = system_folder > 0 && system_folder < MAX_PATH ? LoadFromFolder(folder, system_folder) : nullptr) {
        DebugPrint(L"gdiplus.dll loaded from the system folder\n");
        return module;
    }
    DebugPrint(L"gdiplus.dll is not available\n");
    return nullptr;
}

Session::Session() : library_(LoadGdiplus())
{
    if (!library_)
        return;
    bool all = Bind(library_, api_.Startup, "GdiplusStartup") &
               Bind(library_, api_.Shutdown, "GdiplusShutdown") &
               Bind(library_, api_.CreateBitmapFromFile, "GdipCreateBitmapFromFile") &
               Bind(library_, api_.CreateBitmapFromHBITMAP, "GdipCreateBitmapFromHBITMAP") &
               Bind(library_, api_.CreateHBITMAPFromBitmap, "GdipCreateHBITMAPFromBitmap") &
               Bind(library_, api_.GetImageWidth, "GdipGetImageWidth") &
               Bind(library_, api_.GetImageHeight, "GdipGetImageHeight") &
               Bind(library_, api_.CreateFromHDC, "GdipCreateFromHDC") &
               Bind(library_, api_.DrawImageRectI, "GdipDrawImageRectI") &
               Bind(library_, api_.DeleteGraphics, "GdipDeleteGraphics") &
               Bind(library_, api_.DisposeImage, "GdipDisposeImage") &
               Bind(library_, api_.GetImageEncodersSize, "GdipGetImageEncodersSize") &
               Bind(library_, api_.GetImageEncoders, "GdipGetImageEncoders") &
               Bind(library_, api_.SaveImageToFile, "GdipSaveImageToFile");
    if (!all)
        return;
    StartupInput input = {1, nullptr, FALSE, FALSE};
    Status status = api_.Startup(&token_, &input, nullptr);
    if (status != kOk) {
        DebugPrint(L"GdiplusStartup failed, status %d\n", status);
        return;
    }
    started_ = true;
}

Session::~Session()
{
    if (started_)
        api_.Shutdown(token_);
    if (library_)
        FreeLibrary(library_);
}

}  // namespace gdiplus
