#include "quornvale/tools/net_accounts.h"

#include <new>

#include "quornvale/shell/settings.h"

NetAccountEntry g_net_accounts[kMaxNetAccounts] = {};
int g_net_account_count = 0;

int BuildConnectionMenu(DynMenuItem** items)
{
    *items = nullptr;
    int count = ReadSettingInt(L"netaccounts", L"count", 0);
    if (count <= 0)
        return 0;
    if (count > kMaxNetAccounts)
        count = kMaxNetAccounts;
    auto* list = new (std::nothrow) DynMenuItem[count + 3];
    if (!list)
        return 0;
    for (UINT id = kConnectAllCommand; id <= kFirstAccountCommand; ++id)
        list[id - kConnectAllCommand] = MakeFixedEntry(L"connection", id);
    g_net_account_count = 0;
    for (int i = 0; i < count; ++i) {
        NetAccountEntry& entry = g_net_accounts[i];
        entry.id = kFirstAccountCommand + UINT(i);
        entry.index = i;
        ReadAccountString(i, L"remote", entry.remote, ARRAYSIZE(entry.remote));
        ++g_net_account_count;
        auto* text = new (std::nothrow) wchar_t[ARRAYSIZE(entry.remote)];
        if (text)
            lstrcpyW(text, entry.remote);
        list[3 + i] = {entry.id, kItemCommand, text};
    }
    *items = list;
    return count + 3;
}

const NetAccountEntry* FindNetAccount(UINT command_id)
{
    for (int i = 0; i < g_net_account_count; ++i)
        if (g_net_accounts[i].id == command_id)
            return &g_net_accounts[i];
    return nullptr;
}

void StartNetAccountWorker(const NetAccountEntry* /*entry*/)
{
    // Not built yet: connecting through net.exe comes with the network
    // accounts feature.
}
