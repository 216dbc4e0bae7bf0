#include "tests/scenario/support/net_double.h"

#include <stdlib.h>

#include "tests/scenario/support/harness.h"

namespace scenario {

namespace {
const wchar_t kOverrides[] = L"Software\\Wine\\DllOverrides";
}

NetDouble::NetDouble(const std::string& reply, bool present)
{
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    system_ = system;
    net_ = JoinPath(system_, L"net.exe");
    saved_ = JoinPath(system_, L"net.exe.qv-saved");
    ini_ = JoinPath(system_, L"net_double.ini");
    log_ = JoinPath(system_, L"net_double_log.txt");
    children_ = JoinPath(system_, L"net_double_children.txt");
    DeleteFileW(log_.c_str());
    DeleteFileW(children_.c_str());
    if (!FileExists(saved_) && FileExists(net_) && !MoveFileW(net_.c_str(), saved_.c_str()))
        return;
    DeleteFileW(net_.c_str());
    if (present && !CopyFileW(JoinPath(BinDir(), L"net_double.exe").c_str(), net_.c_str(), FALSE))
        return;
    SetReply(reply);
    // Wine runs its built-in system programs unless told otherwise; the
    // override is read from the registry by each new process, while a
    // changed WINEDLLOVERRIDES variable never reaches the loader.
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kOverrides, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    const wchar_t native[] = L"native";
    RegSetValueExW(key, L"net.exe", 0, REG_SZ, reinterpret_cast<const BYTE*>(native), sizeof(native));
    RegCloseKey(key);
    ready_ = true;
}

NetDouble::~NetDouble()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kOverrides, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        RegDeleteValueW(key, L"net.exe");
        RegCloseKey(key);
    }
    // A hung double may still be running (one that a program left behind
    // ends by itself).
    for (int i = 0; i < 400 && FileExists(net_) && !DeleteFileW(net_.c_str()); ++i)
        Sleep(50);
    if (FileExists(saved_))
        MoveFileW(saved_.c_str(), net_.c_str());
    DeleteFileW(ini_.c_str());
    DeleteFileW(log_.c_str());
    DeleteFileW(children_.c_str());
}

void NetDouble::SetReply(const std::string& reply) { WriteTextFile(ini_, reply); }

std::vector<std::vector<std::wstring>> NetDouble::Runs() const
{
    std::vector<std::vector<std::wstring>> runs;
    const std::string text = ReadTextFile(log_);
    size_t at = 0;
    std::vector<std::wstring> current;
    bool open = false;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos)
            break;
        std::string line = text.substr(at, end - at);
        at = end + 1;
        if (line == "run") {
            current.clear();
            open = true;
        } else if (line == "end" && open) {
            runs.push_back(current);
            open = false;
        } else if (open && line.rfind("arg=", 0) == 0) {
            std::string value = line.substr(4);
            int n = MultiByteToWideChar(CP_UTF8, 0, value.data(), int(value.size()), nullptr, 0);
            std::wstring wide(n, L'\0');
            MultiByteToWideChar(CP_UTF8, 0, value.data(), int(value.size()), &wide[0], n);
            current.push_back(wide);
        }
    }
    return runs;
}

std::vector<DWORD> NetDouble::Children() const
{
    std::vector<DWORD> ids;
    const std::string text = ReadTextFile(children_);
    size_t at = 0;
    for (size_t end; (end = text.find('\n', at)) != std::string::npos; at = end + 1)
        ids.push_back(DWORD(strtoul(text.substr(at, end - at).c_str(), nullptr, 10)));
    return ids;
}

bool NetDouble::WaitForRuns(size_t count, DWORD timeout_ms) const
{
    return WaitFor([&] { return Runs().size() >= count; }, timeout_ms);
}

}  // namespace scenario
