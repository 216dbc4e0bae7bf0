#include "quornvale/tools/keyboard_sizing.h"

#include "common/debug_print.h"
#include "quornvale/shell/settings.h"
#include "quornvale/tools/shell_windows.h"
#include "quornvale/tools/size_display.h"

namespace {
constexpr int kMaxNumberDigits = 4;
constexpr int kNoBestDifference = 3000;

// A decimal integer as the C library's wtoi reads it; false when it has more
// digits than a size can have.
bool ReadNumber(std::wstring_view text, int* value)
{
    size_t i = 0;
    while (i < text.size() && (text[i] == L' ' || text[i] == L'\t'))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == L'-' || text[i] == L'+'))
        negative = text[i++] == L'-';
    int number = 0, digits = 0;
    for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
        if (++digits > kMaxNumberDigits)
            return false;
        number = number * 10 + (text[i] - L'0');
    }
    *value = negative ? -number : number;
    return true;
}

// The desktop and the taskbar are not sized or moved (as the docking and
// the roll-up leave them alone): a nudged taskbar covers or uncovers the
// work area of every window.
bool LeftAlone(HWND target)
{
    if (!IsDesktopOrTaskbar(target))
        return false;
    DebugPrint(L"keyboard sizing leaves 0x%p alone: the desktop or the taskbar\n", static_cast<void*>(target));
    return true;
}

void ApplyAndShow(HWND main_window, HWND target, const RECT& rect, UINT flags)
{
    // Asynchronous for a window of another thread: SetWindowPos would wait
    // for that thread's answer, and a hung application would stall this
    // thread and with it every mouse and keyboard event of the desktop.
    if (!SetWindowPos(target, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
                      flags | SWP_NOZORDER | SWP_NOACTIVATE | SWP_ASYNCWINDOWPOS))
        DebugPrint(L"SetWindowPos of the foreground window failed, error %lu\n", GetLastError());
    ShowSizeDisplayOver(main_window, rect);
    KeepSizeDisplayForASecond(main_window);
}
}  // namespace

int ParseSizePresets(std::wstring_view list, SizePreset* out, int max)
{
    if (const size_t stop = list.find(L'\0'); stop != std::wstring_view::npos)
        list.remove_suffix(list.size() - stop);
    int count = 0;
    while (!list.empty() && count < max) {
        const size_t end = list.find(L';');
        if (end == std::wstring_view::npos)
            break;  // an entry no semicolon ends
        const std::wstring_view entry(list.data(), end);
        list.remove_prefix(end + 1);
        const size_t x = entry.find(L'x');
        SizePreset preset = {};
        if (x == std::wstring_view::npos || !ReadNumber(std::wstring_view(entry.data(), x), &preset.width) ||
            !ReadNumber(std::wstring_view(entry.data() + x + 1, entry.size() - x - 1), &preset.height))
            continue;
        out[count++] = preset;
    }
    return count;
}

SIZE ChoosePresetSize(SIZE current, const SizePreset* presets, int count, bool enlarge)
{
    const int W = current.cx, H = current.cy;
    int best_dw = kNoBestDifference, best_dh = kNoBestDifference;
    SIZE chosen = current;
    for (int i = 0; i < count; ++i) {
        const int w = presets[i].width, h = presets[i].height;
        if (w == W && h == H) {
            best_dw = best_dh = kNoBestDifference;
            continue;
        }
        // Differences in the wanted direction.
        const int dw = enlarge ? w - W : W - w;
        const int dh = enlarge ? h - H : H - h;
        bool take = false;
        if (dw == 0)
            take = dh > 0 && dh < best_dh;
        else if (dw > 0)
            take = dw < best_dw || (dw == best_dw && dh < best_dh);
        if (!take)
            continue;
        best_dw = dw;
        best_dh = dh;
        chosen = {w, h};
    }
    return chosen;
}

bool NudgeRect(const RECT& window, int code, NudgedWindow* out)
{
    RECT r = window;
    UINT flags = SWP_NOOWNERZORDER | SWP_NOMOVE;
    switch (code) {
    case 1: r.right += kNudgeStep; break;
    case 2: r.right -= kNudgeStep; break;
    case 3: r.bottom += kNudgeStep; break;
    case 4: r.bottom -= kNudgeStep; break;
    case 5: OffsetRect(&r, -kNudgeStep, 0); flags = SWP_NOOWNERZORDER | SWP_NOSIZE; break;
    case 6: OffsetRect(&r, 0, -kNudgeStep); flags = SWP_NOOWNERZORDER | SWP_NOSIZE; break;
    case 7: OffsetRect(&r, kNudgeStep, 0); flags = SWP_NOOWNERZORDER | SWP_NOSIZE; break;
    case 8: OffsetRect(&r, 0, kNudgeStep); flags = SWP_NOOWNERZORDER | SWP_NOSIZE; break;
    default: return false;
    }
    *out = {r, flags};
    return true;
}

bool ResizeToPreset(HWND main_window, bool enlarge)
{
    HWND foreground = GetForegroundWindow();
    if (!foreground)
        return false;
    HWND target = GetAncestor(foreground, GA_ROOT);
    if (!target)
        target = foreground;
    if (LeftAlone(target))
        return false;
    RECT rect;
    if (!GetWindowRect(target, &rect)) {
        DebugPrint(L"GetWindowRect of the foreground window failed, error %lu\n", GetLastError());
        return false;
    }
    wchar_t list[kSettingTextChars] = {};
    ReadSettingText(Setting::kSizeArray, list, kSettingTextChars);
    SizePreset presets[kMaxSizePresets];
    const int count = ParseSizePresets(list, presets, kMaxSizePresets);
    const SIZE size = ChoosePresetSize({rect.right - rect.left, rect.bottom - rect.top}, presets, count, enlarge);
    rect.right = rect.left + size.cx;
    rect.bottom = rect.top + size.cy;
    ApplyAndShow(main_window, target, rect, SWP_NOOWNERZORDER | SWP_NOMOVE);
    return true;
}

bool NudgeForegroundWindow(HWND main_window, int code)
{
    HWND target = GetForegroundWindow();
    if (!target || LeftAlone(target))
        return false;
    RECT rect;
    NudgedWindow nudged;
    if (!GetWindowRect(target, &rect) || !NudgeRect(rect, code, &nudged))
        return false;
    ApplyAndShow(main_window, target, nudged.rect, nudged.swp_flags);
    return true;
}
