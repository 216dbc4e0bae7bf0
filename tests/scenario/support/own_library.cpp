#include "tests/scenario/support/own_library.h"

#include "common/ostrilix_interface.h"
#include "tests/scenario/support/harness.h"

namespace scenario {

bool OwnLibrary::Load(const wchar_t* tag)
{
    const std::wstring dir = MakeTempDir(tag);
    path = JoinPath(dir, L"Ostrilix.dll");
    if (!CopyFileW(JoinPath(BinDir(), L"Ostrilix.dll").c_str(), path.c_str(), FALSE))
        return false;
    module = LoadLibraryW(path.c_str());
    if (!module)
        return false;
    mouse_proc = Export<HOOKPROC>(kExportMouseProc);
    call_wnd_proc = Export<HOOKPROC>(kExportCallWndProc);
    get_msg_proc = Export<HOOKPROC>(kExportGetMsgProc);
    return mouse_proc && call_wnd_proc && get_msg_proc;
}

bool Mapped(const std::wstring& path) { return GetModuleHandleW(path.c_str()) != nullptr; }

}  // namespace scenario
