#pragma once
// Scenario harness: runs the real quornvale.exe in a directory of its own,
// starts helper programs, and observes windows and debug output from outside.
#include <windows.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "tests/framework/test_thread.h"

namespace scenario {

// Directory of the running test program, where the build puts every binary.
std::wstring BinDir();
// A fresh, empty directory under %TEMP%.
std::wstring MakeTempDir(const wchar_t* tag);
std::wstring JoinPath(const std::wstring& dir, const std::wstring& name);
bool WriteTextFile(const std::wstring& path, const std::string& bytes);
std::string ReadTextFile(const std::wstring& path);
bool FileExists(const std::wstring& path);

// How many times longer than natively the desktop may take here: the
// environment variable QV_TEST_TIME_FACTOR (a whole number, 1 to 20; the
// 32-bit stage sets it, its Wine runs under an emulator), else 1.  For the
// time-outs of waits for positive events, never for fixed waits.
DWORD TimeFactor();
DWORD Scaled(DWORD timeout_ms);

// Polls (pumping this thread's messages) until the predicate holds.
bool WaitFor(const std::function<bool()>& condition, DWORD timeout_ms, DWORD step_ms = 20);
// Pumps this thread's messages for the given time.
void PumpFor(DWORD ms);

// The first visible-or-not top-level window of the class owned by the process.
HWND FindProcessWindow(DWORD process_id, const wchar_t* class_name, const wchar_t* title = nullptr);

struct ProgramOptions {
    bool with_library = true;       // copy Ostrilix.dll beside the program
    const char* settings = nullptr; // settings.ini content; null: no file
    bool wait_for_window = true;    // wait for the QUORNVALE window
    // A portable copy (the marker file beside the program, as the zip ships
    // it): settings.ini beside the program is the one it uses.
    bool portable = true;
    // Every file of this directory is copied into "language" beside the
    // program (e.g. BinDir() + L"\\language", the shipped language files).
    std::wstring language_source;
    // Not empty: the program, its library and the shipped files are copied
    // from this folder (one laid out as the portable zip, such as the build's
    // staged package folder, with its language folder) instead of the test
    // build; `with_library`, `portable` and `settings` then change nothing.
    std::wstring package_dir;
    // More files written beside the program before it starts: a name relative
    // to the program's directory (its directories are created) and the bytes.
    std::vector<std::pair<std::wstring, std::string>> files;
};

// The defaults with the given settings.ini content.
ProgramOptions WithSettings(const char* settings);

// quornvale.exe copied with its library into a directory of its own (its own
// image, so its single-instance flag and shared block start fresh).
class Program {
public:
    explicit Program(const wchar_t* tag, const ProgramOptions& options = {});
    ~Program();  // ends the process whatever happened
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start();
    // Starts one more process of the same image; returns its process handle.
    HANDLE StartAnother();
    // After the program restarted itself: waits for this process to end and
    // for the main window of a new process of the same file, which this
    // object then stands for (started up and waiting in its message loop).
    // The ended process's exit code, or -1 when it did not end or no new
    // instance came within the time.
    int FollowRestart(DWORD timeout_ms = 30000);
    // WM_CLOSE to the main window; the exit code, or -1 when it did not end.
    int Close(DWORD timeout_ms = 10000);
    void Kill();
    bool Running() const;

    const std::wstring& Dir() const { return dir_; }
    std::wstring ExePath() const { return JoinPath(dir_, L"quornvale.exe"); }
    std::wstring LibraryPath() const { return JoinPath(dir_, L"Ostrilix.dll"); }
    std::wstring SettingsPath() const { return JoinPath(dir_, L"settings.ini"); }
    HWND MainWindow() const { return main_window_; }
    DWORD ProcessId() const { return info_.dwProcessId; }
    HANDLE Process() const { return info_.hProcess; }

private:
    std::wstring dir_;
    ProgramOptions options_;
    PROCESS_INFORMATION info_ = {};
    HWND main_window_ = nullptr;
};

// A helper program from the build directory, ended when the object goes.
class Helper {
public:
    Helper() = default;
    ~Helper();
    Helper(const Helper&) = delete;
    Helper& operator=(const Helper&) = delete;
    bool Start(const std::wstring& exe_name, const std::wstring& arguments);
    // The same for a program at a full path (e.g. the other build's helper).
    bool StartPath(const std::wstring& exe, const std::wstring& arguments);
    // Waits for the process to end; its exit code, or -1 on time-out.
    int Wait(DWORD timeout_ms);
    void Kill();
    DWORD ProcessId() const { return info_.dwProcessId; }

private:
    PROCESS_INFORMATION info_ = {};
};

// Receives every OutputDebugString line of the desktop (the system's debug
// monitor protocol), so a test can assert trace lines of other processes.
// The protocol has room for one listener: every DebugMonitor of a test
// program is a view onto one listener of the process, and each sees every
// line printed while it exists (nested monitors included).
class DebugMonitor {
public:
    DebugMonitor();
    ~DebugMonitor();
    DebugMonitor(const DebugMonitor&) = delete;
    DebugMonitor& operator=(const DebugMonitor&) = delete;
    bool Active() const { return active_; }
    bool Contains(const std::string& text) const;
    bool WaitForText(const std::string& text, DWORD timeout_ms) const;
    // Counts after every line that another process finished printing before
    // the call has arrived.
    size_t Count(const std::string& text) const;
    // The same, counting only lines printed by the given process.
    size_t CountFrom(DWORD process_id, const std::string& text) const;
    void Clear();

private:
    friend struct DebugListener;
    bool active_ = false;
    std::vector<std::string> lines_;  // under the listener's lock
    std::vector<DWORD> line_pids_;    // the printing process of each line
};

// A message box of another process with the given caption, and its text.
HWND FindDialog(DWORD process_id, const wchar_t* caption);
std::wstring DialogText(HWND dialog);

// The task-button toolbar below a "Shell_TrayWnd" window, or null.
HWND FindTaskbarToolbarOf(HWND tray);

// Whether the process has a module of that file name (e.g. L"Ostrilix.dll")
// loaded, from a Toolhelp snapshot of its modules.
bool ProcessHasModule(DWORD process_id, const wchar_t* module_name);

// The start of a named section in a loaded image, or null.
void* FindImageSection(HMODULE module, const char* name, DWORD* size = nullptr);

}  // namespace scenario
