#pragma once
// Network share accounts: the accounts submenu of the tray menu and the
// account menu table that the command dispatch reads.  Connecting and
// disconnecting are not built yet.
#include <windows.h>

#include "quornvale/shell/settings_keys.h"
#include "quornvale/shell/tray_menu.h"

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
extern int g_net_account_count;  // 0 until the menu has been built once

// The submenu's item list: the fixed items 32, 33 and 34 of section
// "connection", then one item per account (at most 10).  Refills the account
// menu table.  Returns the number of items; 0 (and no list) without accounts.
int BuildConnectionMenu(DynMenuItem** items);
// The account table entry with this command id, or null.
const NetAccountEntry* FindNetAccount(UINT command_id);

// Connects all accounts (no entry) or toggles one account.
// Not built yet: does nothing.
void StartNetAccountWorker(const NetAccountEntry* entry);
