#include "quornvale/shell/platform_notice.h"

#include <windows.h>

#include "common/debug_print.h"
#include "common/system_function.h"
#include "quornvale/shell/language.h"
#include "quornvale/shell/tray_icon.h"

namespace {
constexpr wchar_t kDefaultTitle[] = L"64-bit Windows";
constexpr wchar_t kDefaultText[] =
    L"This is the 32-bit Quornvale: it does not reach 64-bit applications. "
    L"The win64 package is the one for this system.";
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE process, BOOL* wow64);
}  // namespace

bool NeedsWin64PackageNotice(bool image_is_64bit, bool has_query, bool query_ok, bool is_wow64)
{
    return !image_is_64bit && has_query && query_ok && is_wow64;
}

void Win64PackageNoticeTexts(wchar_t* title, int title_chars, wchar_t* text, int text_chars)
{
    if (!GetLanguageText(L"platform", L"ID_WIN64_TITLE", title, title_chars))
        lstrcpynW(title, kDefaultTitle, title_chars);
    if (!GetLanguageText(L"platform", L"ID_WIN64_MESSAGE", text, text_chars))
        lstrcpynW(text, kDefaultText, text_chars);
}

void TellAboutWin64PackageIfNeeded()
{
    // Windows 2000 has no IsWow64Process: bound at run time.
    auto query = LoadedSystemFunction<IsWow64ProcessFn>(L"kernel32.dll", "IsWow64Process");
    BOOL wow64 = FALSE;
    const bool ok = query && query(GetCurrentProcess(), &wow64);
    if (query && !ok)
        DebugPrint(L"IsWow64Process failed, error %lu\n", GetLastError());
    if (!NeedsWin64PackageNotice(sizeof(void*) == 8, query != nullptr, ok, wow64 != FALSE))
        return;
    wchar_t title[64] = {}, text[256] = {};
    Win64PackageNoticeTexts(title, 64, text, 256);
    ShowTrayBalloon(title, text, kBalloonInfo);
    DebugPrint(L"32-bit program on 64-bit Windows: told about the win64 package\n");
}
