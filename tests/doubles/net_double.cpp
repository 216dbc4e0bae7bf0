// Stands in for the system's net.exe in scenario tests (copied over the test
// prefix's net.exe; the program's run needs WINEDLLOVERRIDES "net.exe=n").
// It appends the arguments it received, split by the C runtime as every
// Windows program splits its command line, to net_double_log.txt beside
// itself, one "run" line, one "arg=" line per argument and an "end" line
// (UTF-8), then answers as net_double.ini beside it says.  The section named
// by the host of the second argument ("\\host\IPC$" or "\\host"), else
// [reply]:
//   output=TEXT      written to standard output in the OEM code page, as
//                    console programs write
//   repeat=N         the output N times (more than a pipe holds)
//   exit=N           the exit status
//   hang_ms=N        sleeps this long before it ends
//   child_hang_ms=N  first starts a copy of itself that sleeps this long, as
//                    net.exe starts net1.exe; the copy appends its process
//                    id and a line end to net_double_children.txt beside it
#include <windows.h>
#include <stdlib.h>

#include <string>

namespace {
std::wstring Beside(const wchar_t* name)
{
    wchar_t path[MAX_PATH];
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring dir = path;
    dir.resize(dir.find_last_of(L'\\') + 1);
    return dir + name;
}

std::string Utf8(const std::wstring& text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

void Record(int argc, wchar_t** argv)
{
    std::string record = "run\n";
    for (int i = 1; i < argc; ++i)
        record += "arg=" + Utf8(argv[i]) + "\n";
    record += "end\n";
    std::wstring log = Beside(L"net_double_log.txt");
    // One write of the whole record: runs at the same time do not mix.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), DWORD(record.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

std::wstring HostOf(int argc, wchar_t** argv)
{
    if (argc < 3)
        return L"";
    std::wstring arg = argv[2];
    if (arg.rfind(L"\\\\", 0) != 0)
        return L"";
    arg = arg.substr(2);
    return arg.substr(0, arg.find(L'\\'));
}

// The copy that plays net1.exe: "--child N".
int RunChild(DWORD hang_ms)
{
    const std::string line = std::to_string(GetCurrentProcessId()) + "\n";
    std::wstring list = Beside(L"net_double_children.txt");
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileW(list.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, line.data(), DWORD(line.size()), &written, nullptr);
            CloseHandle(file);
            break;
        }
        Sleep(10);
    }
    Sleep(hang_ms);
    return 0;
}

void StartChild(int hang_ms)
{
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring line = L"net.exe --child " + std::to_wstring(hang_ms);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    if (CreateProcessW(self, &line[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                       &info)) {
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
    }
}
}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc == 3 && std::wstring(argv[1]) == L"--child")
        return RunChild(DWORD(_wtoi(argv[2])));
    Record(argc, argv);
    const std::wstring ini = Beside(L"net_double.ini");
    std::wstring section = HostOf(argc, argv);
    wchar_t probe[8];
    if (section.empty() || GetPrivateProfileStringW(section.c_str(), nullptr, L"", probe, 8, ini.c_str()) == 0)
        section = L"reply";
    wchar_t output[1024] = L"";
    GetPrivateProfileStringW(section.c_str(), L"output", L"", output, 1024, ini.c_str());
    const int repeat = GetPrivateProfileIntW(section.c_str(), L"repeat", 1, ini.c_str());
    const int status = GetPrivateProfileIntW(section.c_str(), L"exit", 0, ini.c_str());
    const int hang_ms = GetPrivateProfileIntW(section.c_str(), L"hang_ms", 0, ini.c_str());
    const int child_hang_ms = GetPrivateProfileIntW(section.c_str(), L"child_hang_ms", 0, ini.c_str());
    if (child_hang_ms > 0)
        StartChild(child_hang_ms);
    char bytes[2048];
    int n = WideCharToMultiByte(CP_OEMCP, 0, output, -1, bytes, sizeof(bytes), nullptr, nullptr);
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    for (int i = 0; n > 1 && i < repeat; ++i) {
        DWORD written = 0;
        if (!WriteFile(out, bytes, DWORD(n - 1), &written, nullptr))
            break;
    }
    if (hang_ms > 0)
        Sleep(DWORD(hang_ms));
    return status;
}
