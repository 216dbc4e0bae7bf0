#include "tests/scenario/support/harness.h"

#include <algorithm>
#include <stdio.h>
#include <stdlib.h>
#include <tlhelp32.h>

#include "tests/scenario/support/known_state.h"

namespace scenario {

namespace {
// Before any test: what an earlier program may have left changed.
const bool g_known_state = (ResetKnownState(), true);
}  // namespace

std::wstring BinDir()
{
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.find_last_of(L'\\'));
}

std::wstring JoinPath(const std::wstring& dir, const std::wstring& name)
{
    if (dir.empty() || dir.back() == L'\\')
        return dir + name;
    return dir + L"\\" + name;
}

std::wstring MakeTempDir(const wchar_t* tag)
{
    static int counter = 0;
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    wchar_t name[MAX_PATH];
    // Process ids start again with each Wine session, so a name that an
    // earlier test program made may exist: a new directory is always a new
    // name, never an earlier program's files.
    for (int attempt = 0; attempt < 1000; ++attempt) {
        _snwprintf(name, MAX_PATH - 1, L"%sqv-%s-%lu-%d", temp, tag, GetCurrentProcessId(), ++counter);
        name[MAX_PATH - 1] = 0;
        if (CreateDirectoryW(name, nullptr) || GetLastError() != ERROR_ALREADY_EXISTS)
            break;
    }
    return name;
}

bool WriteTextFile(const std::wstring& path, const std::string& bytes)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadTextFile(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string out;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got)
        out.append(chunk, got);
    CloseHandle(file);
    return out;
}

bool FileExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD TimeFactor()
{
    wchar_t text[16] = {};
    const DWORD n = GetEnvironmentVariableW(L"QV_TEST_TIME_FACTOR", text, 16);
    const long factor = n > 0 && n < 16 ? wcstol(text, nullptr, 10) : 1;
    return factor >= 1 && factor <= 20 ? DWORD(factor) : 1;
}

DWORD Scaled(DWORD timeout_ms) { return timeout_ms * TimeFactor(); }

void PumpFor(DWORD ms)
{
    DWORD start = GetTickCount();
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= timeout_ms)
            return condition();
        PumpFor(step_ms);
    }
}

namespace {
struct FindData {
    DWORD pid;
    const wchar_t* cls;
    const wchar_t* title;
    HWND found;
};
BOOL CALLBACK FindProc(HWND wnd, LPARAM param)
{
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (pid != data->pid)
        return TRUE;
    wchar_t buffer[256];
    if (data->cls) {
        GetClassNameW(wnd, buffer, 256);
        if (lstrcmpiW(buffer, data->cls) != 0)
            return TRUE;
    }
    if (data->title) {
        GetWindowTextW(wnd, buffer, 256);
        if (lstrcmpW(buffer, data->title) != 0)
            return TRUE;
    }
    data->found = wnd;
    return FALSE;
}

bool CopyBinary(const std::wstring& name, const std::wstring& dir)
{
    return CopyFileW(JoinPath(BinDir(), name).c_str(), JoinPath(dir, name).c_str(), FALSE) != 0;
}

void CopyDirectoryFiles(const std::wstring& from, const std::wstring& to)
{
    CreateDirectoryW(to.c_str(), nullptr);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(from, L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            CopyFileW(JoinPath(from, found.cFileName).c_str(),
                      JoinPath(to, found.cFileName).c_str(), FALSE);
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

bool Launch(const std::wstring& exe, const std::wstring& arguments, const std::wstring& cwd,
            PROCESS_INFORMATION* info)
{
    std::wstring command = L"\"" + exe + L"\"";
    if (!arguments.empty())
        command += L" " + arguments;
    std::vector<wchar_t> line(command.begin(), command.end());
    line.push_back(0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    return CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          cwd.empty() ? nullptr : cwd.c_str(), &startup, info) != 0;
}

void EndProcess(PROCESS_INFORMATION* info)
{
    if (!info->hProcess)
        return;
    if (WaitForSingleObject(info->hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info->hProcess, 99);
        WaitForSingleObject(info->hProcess, 5000);
    }
    CloseHandle(info->hProcess);
    CloseHandle(info->hThread);
    *info = {};
}
}  // namespace

HWND FindProcessWindow(DWORD process_id, const wchar_t* class_name, const wchar_t* title)
{
    FindData data = {process_id, class_name, title, nullptr};
    EnumWindows(FindProc, reinterpret_cast<LPARAM>(&data));
    return data.found;
}

ProgramOptions WithSettings(const char* settings)
{
    ProgramOptions options;
    options.settings = settings;
    return options;
}

Program::Program(const wchar_t* tag, const ProgramOptions& options)
    : dir_(MakeTempDir(tag)), options_(options)
{
    if (!options_.package_dir.empty()) {
        CopyDirectoryFiles(options_.package_dir, dir_);
        CopyDirectoryFiles(JoinPath(options_.package_dir, L"language"), JoinPath(dir_, L"language"));
        return;
    }
    // The test build of the program, with its test seams.
    CopyFileW(JoinPath(BinDir(), L"test_seams\\quornvale.exe").c_str(), ExePath().c_str(), FALSE);
    if (options_.with_library)
        CopyBinary(L"Ostrilix.dll", dir_);
    if (options_.portable)
        WriteTextFile(JoinPath(dir_, L"portable.txt"), "A portable copy\r\n");
    if (options_.settings)
        WriteTextFile(SettingsPath(), options_.settings);
    if (!options_.language_source.empty())
        CopyDirectoryFiles(options_.language_source, JoinPath(dir_, L"language"));
    for (const auto& [name, bytes] : options_.files) {
        std::wstring path = JoinPath(dir_, name);
        for (size_t at = path.find(L'\\', dir_.size() + 1); at != std::wstring::npos;
             at = path.find(L'\\', at + 1))
            CreateDirectoryW(path.substr(0, at).c_str(), nullptr);
        WriteTextFile(path, bytes);
    }
}

Program::~Program() { Kill(); }

bool Program::Start()
{
    if (!Launch(ExePath(), L"", dir_, &info_))
        return false;
    if (!options_.wait_for_window)
        return true;
    WaitFor([&] {
        main_window_ = FindProcessWindow(info_.dwProcessId, L"QUORNVALE");
        return main_window_ != nullptr || WaitForSingleObject(info_.hProcess, 0) == WAIT_OBJECT_0;
    }, Scaled(15000));
    if (!main_window_)
        return false;
    // The window exists while its creation message still runs: wait until
    // start-up is over and the program waits in its message loop.  The
    // input thread waits for messages during start-up, which makes the
    // process count as idle already: the main window's own answer (which
    // its creation message does not give: its requests to the input thread
    // block) is the end of start-up.
    WaitForInputIdle(info_.hProcess, Scaled(10000));
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main_window_, WM_NULL, 0, 0, SMTO_NORMAL, Scaled(10000), &answer);
    return true;
}

HANDLE Program::StartAnother()
{
    PROCESS_INFORMATION other = {};
    if (!Launch(ExePath(), L"", dir_, &other))
        return nullptr;
    CloseHandle(other.hThread);
    return other.hProcess;
}

namespace {
struct FileWindowSearch {
    const std::wstring* exe;
    DWORD other_than;
    HWND found;
    DWORD process_id;
};

BOOL CALLBACK FindFileWindowProc(HWND wnd, LPARAM param)
{
    auto* search = reinterpret_cast<FileWindowSearch*>(param);
    wchar_t name[64] = {};
    GetClassNameW(wnd, name, 64);
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    if (lstrcmpW(name, L"QUORNVALE") != 0 || pid == search->other_than)
        return TRUE;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process)
        return TRUE;
    wchar_t path[MAX_PATH] = {};
    DWORD chars = MAX_PATH;
    const bool same = QueryFullProcessImageNameW(process, 0, path, &chars) &&
                      lstrcmpiW(path, search->exe->c_str()) == 0;
    CloseHandle(process);
    if (!same)
        return TRUE;
    search->found = wnd;
    search->process_id = pid;
    return FALSE;
}
}  // namespace

int Program::FollowRestart(DWORD timeout_ms)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    const DWORD ended = info_.dwProcessId;
    EndProcess(&info_);
    main_window_ = nullptr;
    const std::wstring exe = ExePath();
    FileWindowSearch search = {&exe, ended, nullptr, 0};
    WaitFor([&] {
        search.found = nullptr;
        EnumWindows(FindFileWindowProc, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
    }, timeout_ms);
    if (!search.found)
        return -1;
    info_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_TERMINATE, FALSE,
                                 search.process_id);
    if (!info_.hProcess)
        return -1;
    info_.dwProcessId = search.process_id;
    main_window_ = search.found;
    // As at Start: the end of start-up is the main window's own answer.
    WaitForInputIdle(info_.hProcess, 10000);
    DWORD_PTR answer = 0;
    SendMessageTimeoutW(main_window_, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer);
    return int(code);
}

int Program::Close(DWORD timeout_ms)
{
    if (!info_.hProcess)
        return -1;
    HWND wnd = main_window_ ? main_window_ : FindProcessWindow(info_.dwProcessId, L"QUORNVALE");
    if (wnd)
        PostMessageW(wnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return int(code);
}

void Program::Kill() { EndProcess(&info_); main_window_ = nullptr; }

bool Program::Running() const
{
    return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
}

Helper::~Helper() { Kill(); }

bool Helper::Start(const std::wstring& exe_name, const std::wstring& arguments)
{
    return Launch(JoinPath(BinDir(), exe_name), arguments, L"", &info_);
}

bool Helper::StartPath(const std::wstring& exe, const std::wstring& arguments)
{
    return Launch(exe, arguments, L"", &info_);
}

int Helper::Wait(DWORD timeout_ms)
{
    if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeout_ms) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info_.hProcess, &code);
    return int(code);
}

void Helper::Kill() { EndProcess(&info_); }

// --- debug monitor -------------------------------------------------------

// The one listener of this process, made at the first monitor and kept to
// the end (its thread then still answers writers that print while no test
// looks, rather than have them wait for a buffer nobody frees).
struct DebugListener {
    HANDLE buffer = nullptr, buffer_ready = nullptr, data_ready = nullptr;
    void* view = nullptr;
    TestMutex lock;
    std::vector<DebugMonitor*> monitors;
    long synced = 0;

    static constexpr char kSyncMarker[] = "\x01monitor sync ";

    static DebugListener* Get()
    {
        static TestMutex made_lock;
        static DebugListener* made = nullptr;
        std::lock_guard<TestMutex> guard(made_lock);
        if (!made) {
            auto* listener = new DebugListener;
            if (listener->Open())
                made = listener;
            else
                delete listener;
        }
        return made;
    }

    bool Open()
    {
        buffer_ready = CreateEventW(nullptr, FALSE, TRUE, L"DBWIN_BUFFER_READY");
        data_ready = CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY");
        buffer = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096, L"DBWIN_BUFFER");
        if (buffer)
            view = MapViewOfFile(buffer, FILE_MAP_READ, 0, 0, 4096);
        if (!buffer_ready || !data_ready || !view) {
            if (view)
                UnmapViewOfFile(view);
            for (HANDLE h : {buffer, buffer_ready, data_ready})
                if (h)
                    CloseHandle(h);
            return false;
        }
        // Kept for the life of the process: never joined.
        HANDLE thread = CreateThread(nullptr, 0, RunThread, this, 0, nullptr);
        if (!thread)
            return false;
        CloseHandle(thread);
        return true;
    }

    static DWORD WINAPI RunThread(void* self)
    {
        static_cast<DebugListener*>(self)->Run();
        return 0;
    }

    void Run()
    {
        for (;;) {
            if (WaitForSingleObject(data_ready, INFINITE) != WAIT_OBJECT_0)
                return;
            const char* text = static_cast<const char*>(view) + sizeof(DWORD);
            std::string line(text, strnlen(text, 4096 - sizeof(DWORD)));
            {
                std::lock_guard<TestMutex> guard(lock);
                if (line.compare(0, sizeof kSyncMarker - 1, kSyncMarker) == 0)
                    synced = strtol(line.c_str() + sizeof kSyncMarker - 1, nullptr, 10);
                else
                    for (DebugMonitor* monitor : monitors) {
                        monitor->lines_.push_back(line);
                        monitor->line_pids_.push_back(*static_cast<const DWORD*>(view));
                    }
            }
            SetEvent(buffer_ready);
        }
    }

    // Returns once every line that another process finished printing before
    // the call has arrived: the protocol passes one line at a time, in
    // order, so a marker of our own printed now comes after all of them.
    void Sync()
    {
        static volatile LONG s_marker = 0;
        const long marker = InterlockedIncrement(&s_marker);
        char text[64];
        snprintf(text, sizeof text, "%s%ld\n", kSyncMarker, marker);
        OutputDebugStringA(text);
        WaitFor([&] {
            std::lock_guard<TestMutex> guard(lock);
            return synced >= marker;
        }, 2000, 1);
    }
};

DebugMonitor::DebugMonitor()
{
    if (DebugListener* listener = DebugListener::Get()) {
        std::lock_guard<TestMutex> guard(listener->lock);
        listener->monitors.push_back(this);
        active_ = true;
    }
}

DebugMonitor::~DebugMonitor()
{
    if (!active_)
        return;
    DebugListener* listener = DebugListener::Get();
    std::lock_guard<TestMutex> guard(listener->lock);
    auto& all = listener->monitors;
    all.erase(std::remove(all.begin(), all.end(), this), all.end());
}

bool DebugMonitor::Contains(const std::string& text) const { return Count(text) > 0; }

size_t DebugMonitor::Count(const std::string& text) const
{
    if (!active_)
        return 0;
    DebugListener* listener = DebugListener::Get();
    listener->Sync();
    std::lock_guard<TestMutex> guard(listener->lock);
    size_t n = 0;
    for (const auto& line : lines_)
        if (line.find(text) != std::string::npos)
            ++n;
    return n;
}

size_t DebugMonitor::CountFrom(DWORD process_id, const std::string& text) const
{
    if (!active_)
        return 0;
    DebugListener* listener = DebugListener::Get();
    listener->Sync();
    std::lock_guard<TestMutex> guard(listener->lock);
    size_t n = 0;
    for (size_t i = 0; i < lines_.size() && i < line_pids_.size(); ++i)
        if (line_pids_[i] == process_id && lines_[i].find(text) != std::string::npos)
            ++n;
    return n;
}

bool DebugMonitor::WaitForText(const std::string& text, DWORD timeout_ms) const
{
    return WaitFor([&] { return Contains(text); }, timeout_ms);
}

void DebugMonitor::Clear()
{
    if (!active_)
        return;
    DebugListener* listener = DebugListener::Get();
    std::lock_guard<TestMutex> guard(listener->lock);
    lines_.clear();
    line_pids_.clear();
}

// --- dialogs and images --------------------------------------------------

HWND FindDialog(DWORD process_id, const wchar_t* caption)
{
    return FindProcessWindow(process_id, L"#32770", caption);
}

namespace {
BOOL CALLBACK AppendStaticText(HWND child, LPARAM param)
{
    wchar_t cls[64] = {};
    GetClassNameW(child, cls, 64);
    if (lstrcmpiW(cls, L"Static") == 0) {
        wchar_t text[512] = {};
        GetWindowTextW(child, text, 512);
        *reinterpret_cast<std::wstring*>(param) += text;
    }
    return TRUE;
}
}  // namespace

std::wstring DialogText(HWND dialog)
{
    // EnumChildWindows walks a list of the children taken first: a message
    // box still destroying its unused buttons cannot cut the walk short, as
    // a GetWindow(GW_HWNDNEXT) chain through a destroyed button would.
    std::wstring all;
    EnumChildWindows(dialog, AppendStaticText, reinterpret_cast<LPARAM>(&all));
    return all;
}

HWND FindTaskbarToolbarOf(HWND tray)
{
    HWND wnd = tray;
    for (const wchar_t* cls : {L"ReBarWindow32", L"MSTaskSwWClass", L"ToolbarWindow32"})
        wnd = wnd ? FindWindowExW(wnd, nullptr, cls, nullptr) : nullptr;
    return wnd;
}

bool ProcessHasModule(DWORD process_id, const wchar_t* module_name)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, process_id);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    bool found = false;
    for (BOOL more = Module32FirstW(snapshot, &entry); more && !found; more = Module32NextW(snapshot, &entry))
        found = lstrcmpiW(entry.szModule, module_name) == 0;
    CloseHandle(snapshot);
    return found;
}

void* FindImageSection(HMODULE module, const char* name, DWORD* size)
{
    auto* base = reinterpret_cast<BYTE*>(module);
    if (!base)
        return nullptr;
    auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    IMAGE_SECTION_HEADER* section = IMAGE_FIRST_SECTION(nt);
    for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i, ++section) {
        char section_name[9] = {};
        memcpy(section_name, section->Name, 8);
        if (strcmp(section_name, name) == 0) {
            if (size)
                *size = section->Misc.VirtualSize;
            return base + section->VirtualAddress;
        }
    }
    return nullptr;
}

}  // namespace scenario
