#include "quornvale/shell/exit_restore.h"

#include "common/debug_print.h"
#include "quornvale/shell/hook_library.h"

namespace {
// The program's exit may wait this long for the windows' threads, in all.
constexpr DWORD kLeaveBudgetMs = 1000;
}  // namespace

void LeaveWindowsAsFound()
{
    if (auto restore = LibraryExport<RestoreTouchedWindowsFn>(kExportRestoreTouchedWindows)) {
        const LONG answered = restore(kLeaveBudgetMs);
        DebugPrintA("Windows left as found: %ld\n", long(answered));
    }
}
