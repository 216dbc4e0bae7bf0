#include "ostrilix/transparency/faded_windows.h"

int NextAlpha(int current, int wheel, int minimal)
{
    int alpha = current + wheel / 12;  // truncates toward zero: |wheel| < 12 changes nothing
    if (alpha <= minimal)
        alpha = minimal;
    if (alpha >= 255)
        alpha = 255;
    return alpha;
}

namespace {
constexpr AlphaChange kNothing = {AlphaAction::None, kOwnLook};
constexpr LayeredAttributes kOpaque = {0, 255, LWA_ALPHA};

// How the window looked before we touched it, as a new record.
FadedWindow FirstRecord(HWND window, DWORD owner_thread, const WindowLook& look)
{
    FadedWindow r = {};
    r.window = window;
    r.owner_thread = owner_thread;
    r.applied = kOwnLook;
    r.own = kOpaque;
    r.ceiling = 255;
    switch (look.state) {
    case LayeredState::Known:
        r.was_layered = true;
        r.own = look.attributes;
        if (look.attributes.flags & LWA_ALPHA)
            r.ceiling = look.attributes.alpha;
        break;
    case LayeredState::Unreadable:
        // Layered, but its attributes cannot be read here: it stays layered
        // and gets an opaque alpha back, the nearest look we know.
        r.was_layered = true;
        break;
    case LayeredState::NotLayered:
    case LayeredState::PerPixel:
        break;
    }
    return r;
}
}  // namespace

AlphaChange PlanAlphaChange(FadedWindows& table, HWND window, DWORD owner_thread, int wheel,
                            int minimal, const WindowLook& look)
{
    if (!window)
        return kNothing;
    FadedWindow* record = table.Find(window);
    if (record && record->owner_thread != owner_thread) {
        *record = FadedWindow{};  // the handle now names another window
        record = nullptr;
    }
    if (!record) {
        // Setting an alpha on a window that draws its own layered content
        // would switch its drawing off: such a window is left alone.
        if (look.state == LayeredState::PerPixel)
            return kNothing;
        const FadedWindow fresh = FirstRecord(window, owner_thread, look);
        const int alpha = NextAlpha(fresh.ceiling, wheel, minimal);
        // Staying at its own look: nothing to remember, nothing to write.
        if (alpha >= fresh.ceiling)
            return kNothing;
        record = table.Add(window);
        if (!record)
            return kNothing;
        *record = fresh;
        record->alpha = alpha;
        return {AlphaAction::Fade, alpha};
    }
    const int from = record->alpha == kOwnLook ? record->ceiling : record->alpha;
    const int alpha = NextAlpha(from, wheel, minimal);
    if (alpha >= record->ceiling) {
        record->alpha = kOwnLook;
        return {AlphaAction::Restore, kOwnLook};
    }
    record->alpha = alpha;
    return {AlphaAction::Fade, alpha};
}

LONG FadedExStyle(LONG current, int alpha, bool was_layered)
{
    if (alpha != kOwnLook || was_layered)
        return current | WS_EX_LAYERED;
    return current & ~LONG(WS_EX_LAYERED);
}

LayeredAttributes FadedAttributes(const FadedWindow& record, int alpha)
{
    if (alpha == kOwnLook)
        return record.was_layered ? record.own : kOpaque;
    LayeredAttributes faded = {0, BYTE(alpha), LWA_ALPHA};
    if (record.was_layered && (record.own.flags & LWA_COLORKEY)) {
        faded.key = record.own.key;
        faded.flags |= LWA_COLORKEY;
    }
    return faded;
}

namespace {
// The program's process: the low-level hook plans here, the fade worker
// applies; both hold the process lock around the table.
constinit FadedWindows g_faded = {};
}  // namespace

FadedWindows& FadedWindowTable() { return g_faded; }

void ForgetGoneFadedWindows(FadedWindows& table)
{
    table.RemoveIf([](const FadedWindow& r) {
        return !IsWindow(r.window) || GetWindowThreadProcessId(r.window, nullptr) != r.owner_thread;
    });
}
