#include "ostrilix/ime/ime.h"

#include "common/debug_print.h"
#include "common/system_function.h"
#include "ostrilix/core/shared_block.h"

namespace {
BOOL WINAPI DisableImeOfProcess(DWORD thread_id)
{
    // Not imported: an image of this library must load where imm32.dll is
    // absent, and the library loads no DLL into a host.
    auto disable = LoadedSystemFunction<DisableImeFn>(L"imm32.dll", "ImmDisableIME");
    if (!disable) {
        DebugPrint(L"No input method to disable: imm32.dll is not loaded\n");
        return FALSE;
    }
    return disable(thread_id);
}

DisableImeFn g_disable_ime = DisableImeOfProcess;
}  // namespace

void SetDisableImeCall(DisableImeFn call) { g_disable_ime = call ? call : DisableImeOfProcess; }

bool IsImeClassInList(const wchar_t* list, size_t list_chars, const wchar_t* class_name)
{
    if (!list || !class_name || !class_name[0])
        return false;
    size_t class_chars = 0;
    while (class_name[class_chars])
        ++class_chars;
    const size_t key_chars = class_chars + 3;  // "[" class "];"
    for (size_t at = 0; at < list_chars && list[at]; ++at) {
        if (list[at] != L'[')
            continue;
        size_t i = 0;
        for (; i < key_chars && at + i < list_chars; ++i) {
            const wchar_t want = i == 0 ? L'[' : i <= class_chars ? class_name[i - 1] : i == class_chars + 1 ? L']' : L';';
            if (list[at + i] != want)
                break;
        }
        if (i == key_chars)
            return true;
    }
    return false;
}

bool DisableImeIfListed(HWND window)
{
    wchar_t class_name[kSharedListChars] = {};
    if (!GetClassNameW(window, class_name, kSharedListChars))
        return false;
    if (!IsImeClassInList(g_shared.s_sz_disableime_classes, kSharedListChars, class_name))
        return true;
    // Every thread of this process (-1).
    if (g_disable_ime(0xFFFFFFFF))
        DebugPrint(L"Input method disabled in process %lu for class %s\n", GetCurrentProcessId(), class_name);
    else
        DebugPrint(L"ImmDisableIME failed for class %s, error %lu\n", class_name, GetLastError());
    return true;
}
