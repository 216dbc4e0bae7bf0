// A stand-in for the shell's notification area.  Shell_NotifyIconW hands its
// data to the first top-level "Shell_TrayWnd" as WM_COPYDATA; this double
// creates that window (topmost, so it comes before Wine's own tray window in
// the order FindWindowEx walks), decodes each notification and appends one
// line per notification to a log file, which the test reads:
//   msg=N<TAB>hwnd=H<TAB>uid=N<TAB>flags=N<TAB>callback=N<TAB>icon=WxH<TAB>
//   tip=T<TAB>title=T<TAB>info=T<TAB>timeout=N<TAB>infoflags=N<TAB>held=N  (UTF-8)
//   tray_shell_double_gui LOGFILE [--hold]
// With --hold it plays a shell slow to answer a balloon: it answers the first
// balloon only once another notification has come in (taken while it waits,
// as a thread that waits in its message loop takes sent messages), or after
// eight seconds.  Lines of notifications that came in meanwhile end with
// held=1, the others with held=0.
// While a file LOGFILE.refuse exists, every NIM_ADD is logged and refused
// (Shell_NotifyIconW then fails), as a shell that has no room.
#include <windows.h>
#include <shellapi.h>
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
bool g_hold = false;     // --hold: the first balloon waits for another notification
bool g_holding = false;  // that balloon is waiting now
int g_logged = 0;
constexpr DWORD kHoldMs = 8000;

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
        char tail[80];
        snprintf(tail, sizeof tail, "\ttimeout=%u\tinfoflags=%lu\theld=%d\n", n.timeout,
                 (unsigned long)n.info_flags, g_holding ? 1 : 0);
        Append(std::string(head) + "tip=" + Utf8(n.tip, 128) + "\ttitle=" +
               Utf8(n.info_title, 64) + "\tinfo=" + Utf8(n.info, 256) + tail);
        ++g_logged;
        if (g_hold && !g_holding && data->dwData == NIM_MODIFY && (n.flags & NIF_INFO)) {
            g_hold = false;
            g_holding = true;
            const int logged = g_logged;
            const DWORD begun = GetTickCount();
            while (g_logged == logged && GetTickCount() - begun < kHoldMs) {
                MSG pending;
                // Takes the notifications sent meanwhile; posted messages wait.
                PeekMessageW(&pending, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
            }
            g_holding = false;
        }
        const bool refused = data->dwData == NIM_ADD &&
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
    const std::wstring hold = L" --hold";
    if (g_log.size() > hold.size() && g_log.compare(g_log.size() - hold.size(), hold.size(), hold) == 0) {
        g_hold = true;
        g_log.resize(g_log.size() - hold.size());
    }
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
