// Stands in for the system's net.exe in scenario tests (copied over the test
// prefix's net.exe; the program's run needs WINEDLLOVERRIDES "net.exe=n").
// It appends the arguments it received, split by the C runtime as every
// Windows program splits its command line, to net_double_log.txt beside
// itself, one "run" line, one "arg=" line per argument and an "end" line
// (UTF-8), then answers as net_double.ini beside it says.  The section named
// by the host of the second argument ("\\host\IPC$" or "\\host"), else
// [reply]:
//   output=TEXT      written to standard output (ANSI)
//   repeat=N         the output N times (more than a pipe holds)
//   exit=N           the exit status
//   hang_ms=N        sleeps this long before it ends
#include <windows.h>

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
}  // namespace

int wmain(int argc, wchar_t** argv)
{
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
    char bytes[2048];
    int n = WideCharToMultiByte(CP_ACP, 0, output, -1, bytes, sizeof(bytes), nullptr, nullptr);
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
