// The decisions of the hotkeys and keyboard sizing: the hotkey text, the
// size preset list and the enlarge/shrink choice, the nudge codes, the size
// label, and the balloon texts that carry a value.
#include <windows.h>

#include <string>

#include "quornvale/tools/hotkey_text.h"
#include "quornvale/tools/hotkeys.h"
#include "quornvale/tools/keyboard_sizing.h"
#include "quornvale/tools/notice_text.h"
#include "quornvale/tools/shell_windows.h"
#include "quornvale/tools/size_display.h"
#include "tests/framework/check.h"

namespace {
UINT KeyOf(wchar_t c) { return LOBYTE(VkKeyScanW(c)); }
}  // namespace

TEST_CASE("hotkey_texts_give_their_modifiers_and_key")
{
    struct Row {
        const wchar_t* text;
        bool parses;
        UINT modifiers;
        UINT key;
    };
    const Row rows[] = {
        {L"ctrl+alt+s", true, MOD_CONTROL | MOD_ALT, KeyOf(L's')},
        {L"Win+Up", true, MOD_WIN, VK_UP},
        {L"shift+right", true, MOD_SHIFT, VK_RIGHT},
        {L"ALT+LEFT", true, MOD_ALT, VK_LEFT},
        {L"win+down", true, MOD_WIN, VK_DOWN},
        {L"abc", true, 0, KeyOf(L'a')},
        {L"ctrl-x", true, MOD_CONTROL, KeyOf(L'x')},
        {L"ctrl x", true, MOD_CONTROL, KeyOf(L'x')},
        {L"alternative", true, MOD_ALT, KeyOf(L'r')},  // "alt", separator "e", then "rnative"
        {L"ctrl+f12", true, MOD_CONTROL, KeyOf(L'f')},  // no function key names
        {L"ctrl+upper", true, MOD_CONTROL, KeyOf(L'u')},  // arrow names are whole words
        {L"shift+S", true, MOD_SHIFT, KeyOf(L's')},
        // Nothing left for a key: never registered.
        {L"ctrl+alt", false, 0, 0},
        {L"ctrl+alt+", false, 0, 0},
        {L"shift+win", false, 0, 0},
        {L"", false, 0, 0},
        {L"ctrl+\x20AC\x20AC", false, 0, 0},  // a character no key of the layout types
    };
    for (const Row& row : rows) {
        HotkeyCombination c = {0xDEAD, 0xDEAD};
        const bool parsed = ParseHotkeyText(row.text, &c);
        CHECK_EQ(parsed, row.parses);
        if (parsed && row.parses) {
            CHECK_EQ(c.modifiers, row.modifiers);
            CHECK_EQ(c.virtual_key, row.key);
        }
    }
}

TEST_CASE("a_hotkey_shows_in_a_menu_as_windows_writes_accelerators")
{
    struct Row {
        const wchar_t* text;
        const wchar_t* shown;  // null: no key, nothing shown
    };
    const Row rows[] = {
        {L"ctrl+alt+s", L"Ctrl+Alt+S"},
        {L"shift+alt+up", L"Alt+Shift+Up"},  // the modifiers in one order
        {L"win+ctrl+alt+shift+right", L"Win+Ctrl+Alt+Shift+Right"},
        {L"ALT+LEFT", L"Alt+Left"},
        {L"ctrl-x", L"Ctrl+X"},
        {L"ctrl+f12", L"Ctrl+F"},  // the key the parser registers
        {L"ctrl+upper", L"Ctrl+U"},
        {L"alt+7", L"Alt+7"},
        {L"ctrl+,", L"Ctrl+,"},
        {L"ctrl+alt", nullptr},
        {L"ctrl+alt+", nullptr},
        {L"", nullptr},
    };
    for (const Row& row : rows) {
        wchar_t out[kHotkeyMenuChars] = L"untouched";
        const bool shown = HotkeyMenuText(row.text, out, kHotkeyMenuChars);
        if (!CHECK_EQ(shown, row.shown != nullptr) || !CHECK_EQ(std::wstring(out), std::wstring(row.shown ? row.shown : L"")))
            MESSAGE(check::Format("%ls", row.text));
    }
    // A small buffer is cut, never overrun; none at all is refused.
    wchar_t small[5] = L"xxxx";
    CHECK(HotkeyMenuText(L"ctrl+alt+s", small, 5));
    CHECK_EQ(std::wstring(small), std::wstring(L"Ctrl"));
    CHECK(!HotkeyMenuText(L"ctrl+alt+s", nullptr, 5));
    // Only a registered id shows one: nothing registered in this process.
    wchar_t registered[kHotkeyMenuChars] = L"untouched";
    for (int id : {0, kSnapshotHotkeyId, kLastHotkeyId + 1})
        CHECK(!RegisteredHotkeyMenuText(id, registered, kHotkeyMenuChars) && registered[0] == L'\0');
}

TEST_CASE("the_fourteen_ids_have_their_keys_and_sizing_actions")
{
    const Setting keys[] = {Setting::kTurnOffMonitorHotkey, Setting::kHibernateHotkey, Setting::kSnapshotHotkey,
                            Setting::kNotifyIconHotkey,     Setting::kSizeEnlarge,      Setting::kSizeShrink,
                            Setting::kSizeExtendWidth,      Setting::kSizeReduceWidth,  Setting::kSizeExtendHeight,
                            Setting::kSizeReduceHeight,     Setting::kSizeMoveLeft,     Setting::kSizeMoveRight,
                            Setting::kSizeMoveUp,           Setting::kSizeMoveDown};
    const int actions[] = {kSizingEnlarge, kSizingShrink, 1, 2, 3, 4, 5, 7, 6, 8};
    for (int id = 1; id <= 14; ++id) {
        Setting s = Setting::kCount;
        CHECK(HotkeySetting(id, &s));
        CHECK(s == keys[id - 1]);
        int action = 99;
        CHECK_EQ(SizingAction(id, &action), id >= 5);
        if (id >= 5)
            CHECK_EQ(action, actions[id - 5]);
    }
    Setting s;
    int action;
    for (int id : {0, 15, -1})
        CHECK(!HotkeySetting(id, &s) && !SizingAction(id, &action));
}

TEST_CASE("preset_lists_keep_well_formed_entries_in_order")
{
    struct Row {
        const wchar_t* list;
        std::wstring expected;  // "WxH " per entry
    };
    const Row rows[] = {
        {L"800x600;1024x768;1280x1024;", L"800x600 1024x768 1280x1024 "},
        {L"", L""},
        {L" 800x 600;-5x+7;axb;", L"800x600 -5x7 0x0 "},
        {L"12345x600;800x600;", L"800x600 "},     // five digits: skipped
        {L"800x60000;1024x768;", L"1024x768 "},
        {L"800X600;1024x768;", L"1024x768 "},     // upper-case X is no separator
        {L"800;1024x768;", L"1024x768 "},         // no x: skipped
        {L"800x600;1024x768", L"800x600 "},       // no semicolon ends the last one
        {L"0800x0600;", L"800x600 "},
    };
    for (const Row& row : rows) {
        SizePreset presets[kMaxSizePresets];
        const int count = ParseSizePresets(row.list, presets, kMaxSizePresets);
        std::wstring got;
        for (int i = 0; i < count; ++i)
            got += std::to_wstring(presets[i].width) + L"x" + std::to_wstring(presets[i].height) + L" ";
        CHECK_EQ(got, row.expected);
    }
    // Never more than the room given, never past the text's end.
    SizePreset two[2] = {};
    CHECK_EQ(ParseSizePresets(std::wstring_view(L"1x1;2x2;3x3;", 12), two, 2), 2);
    CHECK_EQ(ParseSizePresets(std::wstring_view(L"1x1;2x2;", 6), two, 2), 1);
}

TEST_CASE("enlarge_and_shrink_choose_the_next_preset")
{
    struct Row {
        const wchar_t* list;
        SIZE current;
        bool enlarge;
        SIZE expected;
    };
    const Row rows[] = {
        {L"800x600;1024x768;1280x1024;", {1024, 768}, true, {1280, 1024}},
        {L"800x600;1024x768;1280x1024;", {1024, 768}, false, {800, 600}},
        {L"800x600;1024x768;1280x1024;", {900, 700}, true, {1024, 768}},
        {L"800x600;1024x768;1280x1024;", {900, 700}, false, {800, 600}},
        {L"800x600;1024x768;1280x1024;", {1280, 1024}, true, {1280, 1024}},
        {L"1024x700;1024x900;", {1024, 768}, true, {1024, 900}},
        {L"1024x700;1024x900;", {1024, 768}, false, {1024, 700}},
        {L"800x600;1024x768;640x480;", {1024, 768}, false, {640, 480}},
        {L"", {500, 400}, true, {500, 400}},
        {L"1280x1024;800x600;1024x768;", {640, 480}, true, {800, 600}},  // the smallest step, not the first
        {L"800x900;800x700;", {640, 480}, true, {800, 700}},              // same width: the height decides
        {L"5000x600;", {1000, 600}, true, {1000, 600}},                   // 3000 or more: never
        {L"1024x768;1280x1024;", {1024, 768}, false, {1024, 768}},
    };
    for (const Row& row : rows) {
        SizePreset presets[kMaxSizePresets];
        const int count = ParseSizePresets(row.list, presets, kMaxSizePresets);
        const SIZE got = ChoosePresetSize(row.current, presets, count, row.enlarge);
        CHECK_EQ(got.cx, row.expected.cx);
        CHECK_EQ(got.cy, row.expected.cy);
    }
}

TEST_CASE("nudge_codes_move_an_edge_or_the_window_by_ten")
{
    const RECT r = {100, 50, 900, 650};
    struct Row {
        int code;
        RECT expected;
        UINT flags;
    };
    constexpr UINT kEdge = SWP_NOOWNERZORDER | SWP_NOMOVE, kMove = SWP_NOOWNERZORDER | SWP_NOSIZE;
    const Row rows[] = {
        {1, {100, 50, 910, 650}, kEdge}, {2, {100, 50, 890, 650}, kEdge}, {3, {100, 50, 900, 660}, kEdge},
        {4, {100, 50, 900, 640}, kEdge}, {5, {90, 50, 890, 650}, kMove},  {6, {100, 40, 900, 640}, kMove},
        {7, {110, 50, 910, 650}, kMove}, {8, {100, 60, 900, 660}, kMove},
    };
    for (const Row& row : rows) {
        NudgedWindow n = {};
        CHECK(NudgeRect(r, row.code, &n));
        CHECK(EqualRect(&n.rect, &row.expected));
        CHECK_EQ(n.swp_flags, row.flags);
    }
    NudgedWindow n;
    CHECK(!NudgeRect(r, 0, &n) && !NudgeRect(r, 9, &n));
    // No clamping: a window left of the screen goes further left.
    const RECT off = {-5, 0, 95, 100};
    CHECK(NudgeRect(off, 5, &n) && n.rect.left == -15);
}

TEST_CASE("the_size_label_text_and_place")
{
    wchar_t text[kSizeTextChars];
    const RECT r = {100, 50, 900, 650};
    CHECK_EQ(FormatSizeText(r, text, kSizeTextChars), 19);
    CHECK_EQ(std::wstring(text), std::wstring(L"800 x 600 (100, 50)"));
    const RECT huge = {-30000, -20000, 30000, 20000};
    FormatSizeText(huge, text, kSizeTextChars);
    CHECK_EQ(std::wstring(text), std::wstring(L"60000 x 40000 (-30000, -20000)"));
    wchar_t small[8];
    FormatSizeText(r, small, 8);
    CHECK_EQ(std::wstring(small), std::wstring(L"800 x 6"));
    const POINT at = SizeLabelPosition(r, {101, 17});
    CHECK_EQ(at.x, 500 - 50);
    CHECK_EQ(at.y, 350 - 8);
    const POINT odd = SizeLabelPosition({-101, -51, 0, 0}, {10, 10});
    CHECK_EQ(odd.x, -50 - 5);
    CHECK_EQ(odd.y, -25 - 5);
}

TEST_CASE("notice_texts_take_their_value_without_printf")
{
    struct Row {
        const wchar_t* format;
        const wchar_t* value;
        const wchar_t* expected;
    };
    const Row rows[] = {
        {L"The hotkey %s could not be registered.", L"ctrl+alt+s", L"The hotkey ctrl+alt+s could not be registered."},
        {L"Error %lu.", L"1234", L"Error 1234."},
        {L"Error %d and %s %n", L"5", L"Error 5 and %s %n"},  // later conversions stay as written
        {L"100%% sure: %s", L"x", L"100% sure: x"},
        {L"No value", L"x", L"No value"},
        {L"Trailing %", L"x", L"Trailing %"},
        {L"", L"x", L""},
    };
    for (const Row& row : rows) {
        wchar_t out[256];
        FormatNoticeText(row.format, row.value, out, 256);
        CHECK_EQ(std::wstring(out), std::wstring(row.expected));
    }
    wchar_t cut[6];
    CHECK_EQ(FormatNoticeText(L"ab%scd", L"XYZ", cut, 6), 5);
    CHECK_EQ(std::wstring(cut), std::wstring(L"abXYZ"));
}

TEST_CASE("the_desktop_and_the_taskbar_are_never_minimised")
{
    for (const wchar_t* name : {L"Progman", L"WorkerW", L"Shell_TrayWnd"})
        CHECK(!MayMinimiseWindowOfClass(name));
    for (const wchar_t* name : {L"Notepad", L"QvTargetWindow", L""})
        CHECK(MayMinimiseWindowOfClass(name));
    CHECK(MayMinimiseWindowOfClass(nullptr));
}

TEST_CASE("keyboard_sizing_knows_the_desktop_and_the_taskbar_and_their_children")
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const wchar_t* name : {L"Shell_TrayWnd", L"Progman", L"QvPlainTopLevel"}) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = instance;
        wc.lpszClassName = name;
        RegisterClassW(&wc);
    }
    struct Row {
        const wchar_t* class_name;
        bool shell;
    };
    for (const Row& row : {Row{L"Shell_TrayWnd", true}, Row{L"Progman", true}, Row{L"QvPlainTopLevel", false}}) {
        HWND top = CreateWindowExW(0, row.class_name, L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, instance, nullptr);
        REQUIRE(top != nullptr);
        HWND child = CreateWindowExW(0, L"QvPlainTopLevel", L"", WS_CHILD, 0, 0, 10, 10, top, nullptr, instance, nullptr);
        REQUIRE(child != nullptr);
        if (!CHECK_EQ(IsDesktopOrTaskbar(top), row.shell) || !CHECK_EQ(IsDesktopOrTaskbar(child), row.shell))
            MESSAGE(check::Format("shell window expected: %d", int(row.shell)));
        DestroyWindow(top);
    }
    CHECK(IsDesktopOrTaskbar(GetDesktopWindow()));
    CHECK(!IsDesktopOrTaskbar(nullptr));
    CHECK(IsDesktopOrTaskbarClass(L"WorkerW"));
    CHECK(!IsDesktopOrTaskbarClass(L"Shell_TrayWn"));
}
