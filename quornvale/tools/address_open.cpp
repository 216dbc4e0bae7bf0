#include "quornvale/tools/address_open.h"

#include <shellapi.h>

#include "quornvale/shell/worker.h"
#include "quornvale/test_seams/test_seams.h"

namespace {
// A browser may take seconds to start: on a worker, not the GUI thread.
void OpenOnWorker(void* argument)
{
    auto* address = static_cast<wchar_t*>(argument);
    if (!HandAddressToTestSink(address))
        ShellExecuteW(nullptr, L"open", address, nullptr, nullptr, SW_SHOWNA);
    delete[] address;
}
}  // namespace

void OpenAddress(const wchar_t* address)
{
    wchar_t* copy = CopyForWorker(address);
    if (!copy || !StartWorker(OpenOnWorker, copy))
        delete[] copy;
}
