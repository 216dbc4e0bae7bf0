#include "quornvale/tools/net_accounts.h"

#include <wchar.h>

#include "common/debug_print.h"
#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/settings.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/net_use_command.h"
#include "quornvale/tools/net_use_process.h"

NetAccountEntry g_net_accounts[kMaxNetAccounts] = {};
int g_net_account_count = 0;

namespace {
// Workers of connect-all and of menu clicks may run together, and the exit
// writes on the main thread: the "state" writes happen under this lock.  The
// balloons are not shown under it (the tray icon serialises them itself): a
// shell slow to answer must not hold up the exit.
CRITICAL_SECTION g_result_lock;
bool g_result_lock_ready = false;

struct ResultLock {
    ResultLock() { if (g_result_lock_ready) EnterCriticalSection(&g_result_lock); }
    ~ResultLock() { if (g_result_lock_ready) LeaveCriticalSection(&g_result_lock); }
};

// Texts longer than these are refused rather than cut: a cut host name or
// password names another machine or fails the log-on.
constexpr int kRemoteChars = 256;
constexpr int kUserChars = 256;
constexpr int kPasswordLimitChars = 128;

struct AccountTexts {
    wchar_t remote[kRemoteChars + 1];
    wchar_t user[kUserChars + 1];
    wchar_t password[kPasswordLimitChars + 1];
    bool too_long;
};

void ReadAccount(int index, AccountTexts* texts)
{
    // One character more than allowed is read, so that a longer value shows.
    int r = ReadAccountString(index, L"remote", texts->remote, kRemoteChars + 1);
    int u = ReadAccountString(index, L"user", texts->user, kUserChars + 1);
    int p = ReadAccountString(index, L"psw", texts->password, kPasswordLimitChars + 1);
    texts->too_long = r >= kRemoteChars || u >= kUserChars || p >= kPasswordLimitChars;
}

void ShowResult(const wchar_t* remote, const wchar_t* text, bool error)
{
    wchar_t title[64];
    _snwprintf(title, 63, L"Connect to %s", remote);
    title[63] = L'\0';
    ShowTrayBalloon(title, text, error ? kBalloonError : kBalloonInfo);
}

// Runs net.exe for one account: a toggle from the menu (menu_id non-zero)
// disconnects an account whose "state" is 1, anything else connects.
void RunAccount(int index, UINT menu_id)
{
    AccountTexts texts;
    ReadAccount(index, &texts);
    const int state = ReadAccountSetting(index, Setting::kAccountState);
    const bool connect = !(state != 0 && menu_id != 0);
    wchar_t line[kNetUseLineChars];
    NetUseBuild built = texts.too_long ? NetUseBuild::TooLong
                                       : BuildNetUseLine(connect ? NetUseCommand::Connect : NetUseCommand::Disconnect,
                                                         texts.remote, texts.user, texts.password, line,
                                                         kNetUseLineChars);
    if (built != NetUseBuild::Ok) {
        DebugPrint(L"Account %d not run: %s\n", index, NetUseBuildText(built));
        ShowResult(texts.remote, NetUseBuildText(built), true);
        return;
    }
    wchar_t net[MAX_PATH];
    HiddenRun run = {};
    if (NetExePath(net, MAX_PATH))
        RunHidden(net, line, kNetUseWorkerLimitMs, &run);
    wchar_t text[256] = L"";
    if (!run.started) {
        // "state" stays as it was: nothing was attempted.
        _snwprintf(text, 255, L"net.exe could not be started (error %lu).", run.start_error);
        ShowResult(texts.remote, text, true);
        return;
    }
    // A console program writes in the OEM code page, not the ANSI one.
    MultiByteToWideChar(CP_OEMCP, MB_PRECOMPOSED, run.output, -1, text, 256);
    text[255] = L'\0';
    const bool succeeded = run.ended && run.exit_code == 0;
    if (!run.ended && !text[0])
        lstrcpynW(text, L"net.exe did not answer in time and was ended.", 256);
    {
        ResultLock lock;
        WriteAccountText(index, Setting::kAccountState, NetUseOutcome(connect, succeeded) ? L"1" : L"0");
    }
    ShowResult(texts.remote, text, !succeeded);
}

// Thread parameter: -1 for all accounts, else index * 0x10000 + menu id.
DWORD WINAPI NetAccountWorker(LPVOID parameter)
{
    const INT_PTR job = INT_PTR(parameter);
    if (job < 0) {
        const int count = ReadSetting(Setting::kNetAccountCount);
        for (int i = 0; i < count && i < kMaxNetAccounts; ++i)
            RunAccount(i, 0);
    } else {
        RunAccount(int(job >> 16), UINT(job & 0xFFFF));
    }
    return 0;
}
}  // namespace

int NetUseOutcome(bool attempted_connect, bool succeeded)
{
    const int attempted = attempted_connect ? 1 : 0;
    return succeeded ? attempted : 1 - attempted;
}

// Workers are started from the main thread only, so the lock is made there
// before the first worker exists.
static void MakeResultLock()
{
    if (!g_result_lock_ready) {
        InitializeCriticalSection(&g_result_lock);
        g_result_lock_ready = true;
    }
}

void InitNetAccounts()
{
    MakeResultLock();
    if (ReadSetting(Setting::kNetAccountCount) != 0 && ReadSetting(Setting::kNetAccountsAtStart) != 0)
        StartNetAccountWorker(nullptr);
}

void ShutdownNetAccounts()
{
    // Runs after the hooks are gone, so no input of the desktop waits on this
    // thread; each net.exe is still given a few seconds only, and all of them
    // together a bound, so a hung one cannot keep the program from ending.
    const DWORD begun = GetTickCount();
    wchar_t net[MAX_PATH];
    const bool have_net = NetExePath(net, MAX_PATH);
    for (int i = 0; i < g_net_account_count; ++i) {
        const int index = g_net_accounts[i].index;
        const DWORD spent = GetTickCount() - begun;
        AccountTexts texts;
        ReadAccount(index, &texts);
        wchar_t line[kNetUseLineChars];
        if (spent < kNetUseExitTotalMs && have_net && !texts.too_long &&
            BuildNetUseLine(NetUseCommand::Disconnect, texts.remote, nullptr, nullptr, line, kNetUseLineChars) ==
                NetUseBuild::Ok) {
            const DWORD left = kNetUseExitTotalMs - spent;
            HiddenRun run;
            RunHidden(net, line, left < kNetUseExitEachMs ? left : kNetUseExitEachMs, &run);
        } else {
            DebugPrint(L"Account %d not disconnected at exit\n", index);
        }
        ResultLock lock;
        WriteAccountText(index, Setting::kAccountState, L"0");
    }
    // The lock stays: a worker may still be running and uses it until the
    // process ends.
}

int ListNetAccounts()
{
    const int count = ReadSetting(Setting::kNetAccountCount);
    g_net_account_count = 0;
    for (int i = 0; i < count && i < kMaxNetAccounts; ++i) {
        NetAccountEntry& entry = g_net_accounts[i];
        entry.id = CmdFirstAccount + UINT(i);
        entry.index = i;
        ReadAccountText(i, Setting::kAccountRemote, entry.remote, ARRAYSIZE(entry.remote));
        ++g_net_account_count;
    }
    return g_net_account_count;
}

const NetAccountEntry* FindNetAccount(UINT command_id)
{
    for (int i = 0; i < g_net_account_count; ++i)
        if (g_net_accounts[i].id == command_id)
            return &g_net_accounts[i];
    return nullptr;
}

void StartNetAccountWorker(const NetAccountEntry* entry)
{
    // The worker is given the account by value: the menu table may be
    // refilled while it runs.
    MakeResultLock();
    const INT_PTR job = entry ? (INT_PTR(entry->index) << 16) | INT_PTR(entry->id & 0xFFFF) : -1;
    HANDLE thread = CreateThread(nullptr, 0, NetAccountWorker, reinterpret_cast<LPVOID>(job), 0, nullptr);
    if (!thread) {
        DebugPrint(L"CreateThread for the network accounts failed, error %lu\n", GetLastError());
        return;
    }
    CloseHandle(thread);
}
