#include "quornvale/shell/start_restore.h"

#include "common/debug_print.h"
#include "quornvale/shell/hook_library.h"

namespace {
// For all windows together; each window gets at most a fifth of a second,
// as at exit.
constexpr DWORD kGiveBackBudgetMs = 1000;
}  // namespace

void TellLibraryTheProgramProcess()
{
    PushIntValue(kExportSetProgramProcess, LONG(GetCurrentProcessId()));
}

void GiveBackWhatAnEndedProgramLeft()
{
    if (auto give_back = LibraryExport<GiveBackRecordedChangesFn>(kExportGiveBackRecordedChanges)) {
        const LONG answered = give_back(kGiveBackBudgetMs);
        DebugPrintA("Windows an ended program left changed, given back: %ld\n", long(answered));
    }
    if (auto restore = LibraryExport<RestoreMenuEffectsFn>(kExportRestoreMenuEffects))
        if (restore())
            DebugPrintA("Menu effects an ended program switched off restored\n");
}
