// A stand-in for the shell's notification area.  Shell_NotifyIconW hands its
// data to the first top-level "Shell_TrayWnd" as WM_COPYDATA; this double
// creates that window (topmost, so it comes before Wine's own tray window in
// the order FindWindowEx walks), decodes each notification and appends one
// line per notification to a log file, which the test reads:
//   msg=N<TAB>hwnd=H<TAB>uid=N<TAB>flags=N<TAB>callback=N<TAB>icon=WxH<TAB>
//   tip=T<TAB>title=T<TAB>info=T<TAB>timeout=N<TAB>infoflags=N      (UTF-8)
//   tray_shell_double_gui LOGFILE
// While a file LOGFILE.refuse exists, every NIM_ADD is logged and refused
// (Shell_NotifyIconW then fails), as a shell that has no room.
#include <windows.h>
#include <stdio.h>
#include <string>

namespace {
// The layout Wine's shell32 sends (measured: dwData is the NIM_ message, the
// data is this record followed by the icon's bits).  Windows sends another
// layout with dwData 1, which these machines never see.
struct WineNotifyData {
    LONG hwnd;
    UINT uid;
    UINT flags;
    UINT callback_message;
    WCHAR tip[128];
    DWORD state;
    DWORD state_mask;
    WCHAR info[256];
    UINT timeout;
    WCHAR info_title[64];
    DWORD info_flags;
    GUID guid;
    UINT width;
    UINT height;
    UINT planes;
    UINT bpp;
};
static_assert(sizeof(WineNotifyData) == 960, "Wine's notification record");

std::wstring g_log;

std::string Utf8(const wchar_t* text, size_t max)
{
    std::wstring w(text, wcsnlen(text, max));
    for (auto& c : w)
        if (c == L'\t' || c == L'\r' || c == L'\n')
            c = L' ';
    int n = WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.c_str(), int(w.size()), out.data(), n, nullptr, nullptr);
    return out;
}

void Append(const std::string& line)
{
    HANDLE file = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
    CloseHandle(file);
}

LRESULT CALLBACK TrayProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (!data || data->cbData < sizeof(WineNotifyData) || data->dwData > 4)
            return FALSE;
        WineNotifyData n;
        memcpy(&n, data->lpData, sizeof(n));
        char head[256];
        snprintf(head, sizeof head,
                 "msg=%u\thwnd=%lx\tuid=%u\tflags=%u\tcallback=%u\ticon=%ux%u\t",
                 unsigned(data->dwData), (unsigned long)n.hwnd, n.uid, n.flags,
                 n.callback_message, n.width, n.height);
        char tail[64];
        snprintf(tail, sizeof tail, "\ttimeout=%u\tinfoflags=%lu\n", n.timeout,
                 (unsigned long)n.info_flags);
        Append(std::string(head) + "tip=" + Utf8(n.tip, 128) + "\ttitle=" +
               Utf8(n.info_title, 64) + "\tinfo=" + Utf8(n.info, 256) + tail);
        const bool refused = data->dwData == 0 /* NIM_ADD */ &&
                             GetFileAttributesW((g_log + L".refuse").c_str()) != INVALID_FILE_ATTRIBUTES;
        return refused ? FALSE : TRUE;
    }
    if (msg == WM_DESTROY)
        PostQuitMessage(0);
    return DefWindowProcW(wnd, msg, wp, lp);
}
}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR command_line, int)
{
    g_log = command_line ? command_line : L"";
    while (!g_log.empty() && (g_log.back() == L' ' || g_log.back() == L'"'))
        g_log.pop_back();
    while (!g_log.empty() && (g_log.front() == L' ' || g_log.front() == L'"'))
        g_log.erase(0, 1);

    WNDCLASSW tray = {};
    tray.lpfnWndProc = TrayProc;
    tray.hInstance = instance;
    tray.lpszClassName = L"Shell_TrayWnd";
    RegisterClassW(&tray);
    HWND root = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"tray double",
                                WS_POPUP | WS_VISIBLE, 0, 994, 1280, 30, nullptr, nullptr,
                                instance, nullptr);
    SetWindowPos(root, HWND_TOPMOST, 0, 994, 1280, 30, SWP_SHOWWINDOW | SWP_NOACTIVATE);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
