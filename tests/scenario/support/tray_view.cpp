#include "tests/scenario/support/tray_view.h"

#include <stdlib.h>

namespace scenario {

namespace {
std::wstring Wide(const std::string& utf8)
{
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), int(utf8.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), int(utf8.size()), out.data(), n);
    return out;
}

std::vector<std::string> Split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return parts;
        start = at + 1;
    }
}

TrayNotification ParseNotification(const std::string& line)
{
    TrayNotification n;
    for (const std::string& field : Split(line, '\t')) {
        size_t eq = field.find('=');
        if (eq == std::string::npos)
            continue;
        std::string key = field.substr(0, eq), value = field.substr(eq + 1);
        unsigned long number = strtoul(value.c_str(), nullptr, key == "hwnd" ? 16 : 10);
        if (key == "msg") n.message = int(number);
        else if (key == "hwnd") n.window = number;
        else if (key == "uid") n.uid = unsigned(number);
        else if (key == "flags") n.flags = unsigned(number);
        else if (key == "callback") n.callback = unsigned(number);
        else if (key == "icon") n.icon = value;
        else if (key == "tip") n.tip = Wide(value);
        else if (key == "title") n.title = Wide(value);
        else if (key == "info") n.info = Wide(value);
        else if (key == "timeout") n.timeout = unsigned(number);
        else if (key == "infoflags") n.info_flags = unsigned(number);
        else if (key == "held") n.held = number != 0;
    }
    return n;
}

// --- menu reading ----------------------------------------------------------
std::wstring g_listing;
bool g_listing_arrived = false;

LRESULT CALLBACK ReceiverProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_COPYDATA) {
        auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lp);
        if (data && data->dwData == 0x51564D && data->lpData) {
            g_listing.assign(static_cast<const wchar_t*>(data->lpData),
                             wcsnlen(static_cast<const wchar_t*>(data->lpData),
                                     data->cbData / sizeof(wchar_t)));
            g_listing_arrived = true;
        }
        return TRUE;
    }
    return DefWindowProcW(wnd, msg, wp, lp);
}

HWND Receiver()
{
    static HWND receiver = [] {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ReceiverProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"QV_TEST_MENU_RECEIVER";
        RegisterClassW(&wc);
        return CreateWindowW(L"QV_TEST_MENU_RECEIVER", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    }();
    return receiver;
}

MenuItemView ParseItem(const std::wstring& line)
{
    MenuItemView item;
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (int i = 0; i < 5; ++i) {
        size_t at = line.find(L'\t', start);
        if (at == std::wstring::npos)
            break;
        parts.push_back(line.substr(start, at - start));
        start = at + 1;
    }
    if (parts.size() < 5)
        return item;
    item.depth = _wtoi(parts[0].c_str());
    item.id = UINT(wcstoul(parts[1].c_str(), nullptr, 10));
    item.type = UINT(wcstoul(parts[2].c_str(), nullptr, 10));
    item.state = UINT(wcstoul(parts[3].c_str(), nullptr, 10));
    item.submenu = parts[4] == L"1";
    item.text = line.substr(start);
    return item;
}

struct FindMenu {
    DWORD pid;
    HWND found;
};

BOOL CALLBACK FindMenuProc(HWND wnd, LPARAM param)
{
    auto* f = reinterpret_cast<FindMenu*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    wchar_t cls[16];
    if ((f->pid == 0 || pid == f->pid) && IsWindowVisible(wnd) && GetClassNameW(wnd, cls, 16) &&
        lstrcmpW(cls, L"#32768") == 0) {
        f->found = wnd;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

HWND VisibleMenuWindow(DWORD process_id)
{
    FindMenu find = {process_id, nullptr};
    EnumWindows(FindMenuProc, reinterpret_cast<LPARAM>(&find));
    return find.found;
}

TrayShell::TrayShell() : log_(JoinPath(MakeTempDir(L"trayshell"), L"notifications.log")) {}

bool TrayShell::Start(bool hold_first_balloon)
{
    if (!helper_.Start(L"tray_shell_double_gui.exe",
                       L"\"" + log_ + L"\"" + (hold_first_balloon ? L" --hold" : L"")))
        return false;
    return WaitFor([&] { return FindProcessWindow(helper_.ProcessId(), L"Shell_TrayWnd") != nullptr; },
                   10000);
}

std::vector<TrayNotification> TrayShell::Notifications() const
{
    std::vector<TrayNotification> list;
    // The double may be writing a line right now: only lines that have
    // their end are read.
    std::string text = ReadTextFile(log_);
    text.erase(text.find_last_of('\n') == std::string::npos ? 0 : text.find_last_of('\n') + 1);
    for (const std::string& line : Split(text, '\n'))
        if (!line.empty())
            list.push_back(ParseNotification(line));
    return list;
}

bool TrayShell::RefuseIcons(bool refuse)
{
    const std::wstring flag = log_ + L".refuse";
    return refuse ? WriteTextFile(flag, "") : (DeleteFileW(flag.c_str()) || !FileExists(flag));
}

bool TrayShell::WaitForCount(size_t count, DWORD timeout_ms) const
{
    return WaitFor([&] { return Notifications().size() >= count; }, timeout_ms);
}

const MenuItemView* MenuView::Command(UINT id) const
{
    for (const auto& item : items)
        if (item.id == id && !item.Separator() && !item.submenu)
            return &item;
    return nullptr;
}

std::vector<MenuItemView> MenuView::Root() const
{
    std::vector<MenuItemView> root;
    for (const auto& item : items)
        if (item.depth == 0)
            root.push_back(item);
    return root;
}

std::vector<MenuItemView> MenuView::Submenu(size_t root_position) const
{
    std::vector<MenuItemView> sub;
    size_t position = 0;
    bool inside = false;
    for (const auto& item : items) {
        if (item.depth == 0) {
            inside = position++ == root_position;
            continue;
        }
        if (inside && item.depth == 1)
            sub.push_back(item);
    }
    return sub;
}

std::vector<MenuItemView> MenuView::SubmenuNamed(const std::wstring& text) const
{
    std::vector<MenuItemView> root = Root();
    for (size_t i = 0; i < root.size(); ++i)
        if (root[i].submenu && root[i].text == text)
            return Submenu(i);
    return {};
}

HWND OpenTrayMenu(const Program& program, UINT mouse_message)
{
    PostMessageW(program.MainWindow(), WM_USER + 101, 0, mouse_message);
    HWND menu = nullptr;
    WaitFor([&] { return (menu = VisibleMenuWindow(program.ProcessId())) != nullptr; }, 10000);
    return menu;
}

bool ReadOpenMenu(const Program& program, HWND menu_window, MenuView* view)
{
    view->items.clear();
    HMODULE dll = LoadLibraryW(JoinPath(BinDir(), L"menu_reader_hook.dll").c_str());
    if (!dll)
        return false;
    auto proc = reinterpret_cast<HOOKPROC>(
        reinterpret_cast<void*>(GetProcAddress(dll, "ReadMenuHookProc")));
    DWORD thread = GetWindowThreadProcessId(menu_window, nullptr);
    HHOOK hook = proc ? SetWindowsHookExW(WH_CALLWNDPROC, proc, dll, thread) : nullptr;
    bool ok = false;
    if (hook) {
        g_listing.clear();
        g_listing_arrived = false;
        DWORD_PTR result = 0;
        SendMessageTimeoutW(menu_window, RegisterWindowMessageW(L"QV_TEST_READ_MENU"),
                            reinterpret_cast<WPARAM>(Receiver()), 0, SMTO_NORMAL, 10000, &result);
        ok = g_listing_arrived;
        UnhookWindowsHookEx(hook);
    }
    FreeLibrary(dll);
    if (!ok)
        return false;
    size_t start = 0;
    while (start < g_listing.size()) {
        size_t end = g_listing.find(L'\n', start);
        if (end == std::wstring::npos)
            end = g_listing.size();
        view->items.push_back(ParseItem(g_listing.substr(start, end - start)));
        start = end + 1;
    }
    return true;
}

bool CloseTrayMenu(const Program& program, HWND menu_window)
{
    PostMessageW(program.MainWindow(), WM_CANCELMODE, 0, 0);
    return WaitFor([&] { return !IsWindowVisible(menu_window); }, 10000);
}

bool ReadTrayMenu(const Program& program, MenuView* view)
{
    HWND menu = OpenTrayMenu(program);
    if (!menu)
        return false;
    bool ok = ReadOpenMenu(program, menu, view);
    return CloseTrayMenu(program, menu) && ok;
}

std::string TestLanguage(const std::string& prefix,
                         const std::vector<std::pair<std::string, std::string>>& changes)
{
    struct Range {
        const char* section;
        int first, last;
        std::vector<int> separators;
    };
    const Range ranges[] = {
        {"root", 1, 16, {2, 6, 9, 12, 15}}, {"sysfunc", 96, 99, {98}},
        {"features", 256, 275, {268, 271, 274}}, {"help", 128, 133, {131}},
        {"connection", 32, 34, {34}},
    };
    std::string out;
    for (const Range& range : ranges) {
        out += "[";
        out += range.section;
        out += "]\r\n";
        for (int id = range.first; id <= range.last; ++id) {
            const std::string key = std::to_string(id);
            std::string full_name = range.section;
            full_name += '/';
            full_name += key;
            std::string value = prefix;
            value += ' ';
            value += key;
            for (int s : range.separators)
                if (s == id)
                    value.assign(1, '-');
            for (const auto& [name, changed] : changes)
                if (name == full_name)
                    value = changed;
            if (!value.empty())
                out += key + "=" + value + "\r\n";
        }
    }
    for (const auto& [name, changed] : changes) {
        size_t slash = name.find('/');
        std::string section = name.substr(0, slash);
        bool known = false;
        for (const Range& range : ranges)
            known = known || section == range.section;
        if (!known && !changed.empty())
            out += "[" + section + "]\r\n" + name.substr(slash + 1) + "=" + changed + "\r\n";
    }
    return out;
}

namespace {
constexpr wchar_t kAppDefaults[] = L"Software\\Wine\\AppDefaults\\quornvale.exe";
}

ScopedReportedVersion::ScopedReportedVersion(const wchar_t* version)
{
    RegSetKeyValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version", REG_SZ, version,
                    DWORD((lstrlenW(version) + 1) * sizeof(wchar_t)));
}

ScopedReportedVersion::~ScopedReportedVersion()
{
    RegDeleteKeyValueW(HKEY_CURRENT_USER, kAppDefaults, L"Version");
    RegDeleteKeyW(HKEY_CURRENT_USER, kAppDefaults);
}

std::vector<TrayNotification> TrayShell::NotificationsOf(HWND window) const
{
    std::vector<TrayNotification> out;
    for (const auto& n : Notifications())
        if (n.window == (unsigned long)(ULONG_PTR)window)
            out.push_back(n);
    return out;
}

size_t TrayShell::CountOf(HWND window, int message) const
{
    size_t count = 0;
    for (const auto& n : NotificationsOf(window))
        count += n.message == message ? 1 : 0;
    return count;
}

bool TrayShell::WaitForNotification(HWND window, int message, size_t count) const
{
    return scenario::WaitFor([&] { return CountOf(window, message) >= count; }, 10000);
}

}  // namespace scenario
