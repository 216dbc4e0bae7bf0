// Holds the clipboard open until told to let go (or 20 s pass), so a test can
// see what another program does while the clipboard is busy.  It opens it for
// a window of its own: Wine lets others open a clipboard held with no window.
//   clipboard_holder <ready-event> <release-event>
#include <windows.h>

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, argv[1]);
    HANDLE release = CreateEventW(nullptr, TRUE, FALSE, argv[2]);
    HWND owner = CreateWindowExW(0, L"STATIC", L"clipboard holder", 0, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    if (!OpenClipboard(owner))
        return 3;
    SetEvent(ready);
    WaitForSingleObject(release, 20000);
    CloseClipboard();
    CloseHandle(ready);
    CloseHandle(release);
    return 0;
}
