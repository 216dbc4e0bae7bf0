#include "tests/scenario/support/library_view.h"

#include <string.h>

#include "tests/scenario/support/harness.h"

namespace scenario {

LibraryView::LibraryView(const std::wstring& dll_path)
{
    module_ = LoadLibraryW(dll_path.c_str());
    DWORD size = 0;
    void* section = FindImageSection(module_, ".shared", &size);
    if (section && size >= sizeof(SharedBlock))
        block_ = static_cast<const volatile SharedBlock*>(section);
}

LibraryView::~LibraryView()
{
    if (module_)
        FreeLibrary(module_);
}

SharedBlock LibraryView::Snapshot() const
{
    SharedBlock copy;
    memcpy(&copy, const_cast<const SharedBlock*>(block_), sizeof(copy));
    return copy;
}

std::wstring LibraryView::MappedList(const wchar_t* name, bool* exists)
{
    if (exists)
        *exists = false;
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name);
    if (!mapping)
        return {};
    std::wstring text;
    if (auto* view = static_cast<const wchar_t*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0))) {
        MEMORY_BASIC_INFORMATION info = {};
        VirtualQuery(view, &info, sizeof(info));
        text.assign(view, wcsnlen(view, info.RegionSize / sizeof(wchar_t)));
        UnmapViewOfFile(view);
        if (exists)
            *exists = true;
    }
    CloseHandle(mapping);
    return text;
}

}  // namespace scenario
