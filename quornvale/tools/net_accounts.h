#pragma once
// Network share accounts: the account table that the tray menu lists and
// the command dispatch reads, connecting and disconnecting through net.exe
// on worker threads, and the disconnection at exit.  The tray menu asks for
// the accounts; nothing here knows the menu.
#include <windows.h>

#include "quornvale/shell/settings_keys.h"

// "count" of "netaccounts" is held to this by its bounds.
constexpr int kMaxNetAccounts = kMaxNetAccountCount;

// One account as the tray menu last listed it.  The remote text is a copy, so
// the table stays valid after the menu is freed.
struct NetAccountEntry {
    UINT id;              // CmdFirstAccount + index
    wchar_t remote[32];
    int index;
};
extern NetAccountEntry g_net_accounts[kMaxNetAccounts];
extern int g_net_account_count;  // 0 until the accounts have been listed once

// How long a worker lets net.exe run (a connection to an unreachable host
// takes its time), and how long the exit waits for each disconnection and
// for all of them together.
constexpr DWORD kNetUseWorkerLimitMs = 60000;
constexpr DWORD kNetUseExitEachMs = 5000;
constexpr DWORD kNetUseExitTotalMs = 10000;

// At start: connects all accounts on a worker when "count" and "atstart" are
// both non-zero.
void InitNetAccounts();
// At exit: disconnects the accounts the tray menu listed, each bounded, and
// writes their "state" as "0".
void ShutdownNetAccounts();

// Refills the account table from settings.ini ("count" accounts, at most
// 10, each with its "remote"); the tray menu calls it each time it is built.
// Returns the number of accounts, 0 without any.
int ListNetAccounts();
// The account table entry with this command id, or null.
const NetAccountEntry* FindNetAccount(UINT command_id);

// Connects all accounts (no entry) or toggles one account, on a new thread.
void StartNetAccountWorker(const NetAccountEntry* entry);

// The outcome stored as "state": the exit status says whether net.exe did
// what was attempted (connect 1, disconnect 0); a failure records the
// opposite of the attempt.
int NetUseOutcome(bool attempted_connect, bool succeeded);
