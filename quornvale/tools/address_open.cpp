#include "quornvale/tools/address_open.h"

#include <shellapi.h>

#include "quornvale/test_seams/test_seams.h"

void OpenAddress(const wchar_t* address)
{
    if (!address || HandAddressToTestSink(address))
        return;
    ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNA);
}
