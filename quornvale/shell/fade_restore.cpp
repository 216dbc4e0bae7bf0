#include "quornvale/shell/fade_restore.h"

#include "common/debug_print.h"
#include "common/ostrilix_interface.h"
#include "quornvale/shell/hook_library.h"

namespace {
// The whole restore, however many windows do not answer.
constexpr DWORD kFadeRestoreMs = 1000;
}  // namespace

void RestoreFadedWindowsBeforeExit()
{
    auto restore = LibraryExport<RestoreFadedWindowsFn>("RestoreFadedWindows");
    if (!restore)
        return;
    if (const LONG left = restore(kFadeRestoreMs))
        DebugPrint(L"%ld faded window(s) did not get their own look back\n", left);
}
