#include "quornvale/tools/net_accounts.h"

#include <new>

#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/settings.h"

NetAccountEntry g_net_accounts[kMaxNetAccounts] = {};
int g_net_account_count = 0;

int BuildConnectionMenu(DynMenuItem** items)
{
    *items = nullptr;
    const int count = ReadSetting(Setting::kNetAccountCount);
    if (count <= 0)
        return 0;
    auto* list = new (std::nothrow) DynMenuItem[count + 3];
    if (!list)
        return 0;
    for (UINT id = CmdConnectionFirst; id <= CmdConnectionLast; ++id)
        list[id - CmdConnectionFirst] = MakeFixedEntry(L"connection", id);
    g_net_account_count = 0;
    for (int i = 0; i < count; ++i) {
        NetAccountEntry& entry = g_net_accounts[i];
        entry.id = CmdFirstAccount + UINT(i);
        entry.index = i;
        ReadAccountText(i, Setting::kAccountRemote, entry.remote, ARRAYSIZE(entry.remote));
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
