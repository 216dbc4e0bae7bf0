// The pure decisions of the message hooks and information mode: the
// input-method class match, the information text, the tray tip and table,
// and the mouse hook's choices while information mode is on.  The input
// method call itself is observed through its seam on real windows here.
#include <windows.h>

#include <string>

#include "ostrilix/core/shared_block.h"
#include "ostrilix/ime/ime.h"
#include "ostrilix/tray/tray_windows.h"
#include "ostrilix/hooks/mouse_dispatch.h"
#include "ostrilix/window_info/window_information.h"
#include "tests/framework/check.h"

TEST_CASE("input_method_class_matches_only_a_whole_bracketed_name")
{
    const wchar_t list[] = L"[Edit];[Notepad];[A;B];";
    struct Case {
        const wchar_t* class_name;
        bool listed;
    } cases[] = {
        {L"Edit", true},      {L"Notepad", true},  {L"A;B", true},
        {L"edit", false},     {L"EDIT", false},    {L"Note", false},  // other case, prefix
        {L"pad", false},      {L"dit", false},     {L"Edit2", false},  // suffixes, longer
        {L"", false},         {nullptr, false},    {L"[Edit]", false},
    };
    for (const Case& c : cases)
        CHECK_EQ(IsImeClassInList(list, ARRAYSIZE(list), c.class_name), c.listed);
    CHECK(!IsImeClassInList(nullptr, 0, L"Edit"));
    // The bound is kept: a list cut before its last entry's end has no match.
    CHECK(!IsImeClassInList(list, 6, L"Edit"));
    CHECK(IsImeClassInList(list, 7, L"Edit"));
}

namespace {
int g_disable_calls = 0;
DWORD g_disable_thread = 0;
BOOL WINAPI RecordDisable(DWORD thread_id)
{
    ++g_disable_calls;
    g_disable_thread = thread_id;
    return TRUE;
}

HWND MakeWindow(const wchar_t* class_name)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = class_name;
    RegisterClassW(&wc);
    return CreateWindowExW(0, class_name, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}
}  // namespace

TEST_CASE("a_listed_window_disables_the_input_method_of_every_thread_of_its_process")
{
    lstrcpynW(g_shared.s_sz_disableime_classes, L"[QvImeListed];", kSharedListChars);
    SetDisableImeCall(RecordDisable);
    HWND listed = MakeWindow(L"QvImeListed");
    HWND prefix = MakeWindow(L"QvImeList");
    // (Another case of the name is the same class to the system: the pure
    // table above covers a list entry in another case.)
    REQUIRE(listed && prefix);
    CHECK(DisableImeIfListed(prefix));
    CHECK_EQ(g_disable_calls, 0);
    CHECK(DisableImeIfListed(listed));
    CHECK_EQ(g_disable_calls, 1);
    CHECK_EQ(g_disable_thread, DWORD(0xFFFFFFFF));
    CHECK(!DisableImeIfListed(nullptr));  // no class to read
    SetDisableImeCall(nullptr);
    DestroyWindow(listed);
    DestroyWindow(prefix);
}

TEST_CASE("information_text_names_both_classes_and_cuts_them_at_31_characters")
{
    const std::wstring long32(32, L'L'), long40(40, L'M');
    struct Case {
        const wchar_t* own;
        const wchar_t* root;
        bool topmost;
        std::wstring text;
    } cases[] = {
        {L"Edit", L"Notepad", false, L"ClassName: Edit RootClassName: Notepad Is Topmost: FALSE"},
        {L"Notepad", L"Notepad", true, L"ClassName: Notepad RootClassName: Notepad Is Topmost: TRUE"},
        {long32.c_str(), long40.c_str(), false,
         L"ClassName: " + std::wstring(31, L'L') + L" RootClassName: " + std::wstring(31, L'M') +
             L" Is Topmost: FALSE"},
        {nullptr, L"", false, L"ClassName:  RootClassName:  Is Topmost: FALSE"},
    };
    for (const Case& c : cases) {
        wchar_t text[kInfoTextChars];
        FormatWindowInformation(c.own, c.root, c.topmost, text);
        CHECK(c.text == text);
    }
}

TEST_CASE("tray_tip_is_the_title_cut_to_120_characters_and_slots_name_their_windows")
{
    const std::wstring t120(120, L'x'), t200(200, L'y');
    struct Case {
        const wchar_t* title;
        std::wstring tip;
    } cases[] = {
        {L"Notes", L"Notes"}, {t120.c_str(), t120}, {t200.c_str(), std::wstring(120, L'y')}, {nullptr, L""},
    };
    for (const Case& c : cases) {
        wchar_t tip[kTrayTipChars + 1];
        wmemset(tip, L'?', kTrayTipChars + 1);
        CutTrayTip(c.title, tip);
        CHECK(c.tip == tip);
    }
    HWND slots[4] = {nullptr, reinterpret_cast<HWND>(0x10), nullptr, reinterpret_cast<HWND>(0x20)};
    CHECK_EQ(FindTraySlot(slots, 4, reinterpret_cast<HWND>(0x20)), 3);
    CHECK_EQ(FindTraySlot(slots, 4, reinterpret_cast<HWND>(0x30)), -1);
    CHECK_EQ(FindTraySlot(slots, 4, nullptr), -1);
    CHECK(TrayIconId(0) != TrayIconId(3));
}

TEST_CASE("information_mode_takes_every_right_press_and_swallows_every_right_release")
{
    using A = MouseAction;
    auto facts = [](UINT message, UINT hit, bool info) {
        MouseFacts f = {};
        f.message = message;
        f.hit = hit;
        f.chord = true;
        f.rollup_hotaction = 1;
        f.window_info = info;
        return f;
    };
    struct Case {
        const char* what;
        MouseFacts f;
        A action;
        A otherwise;
    } cases[] = {
        {"client press shows", facts(WM_RBUTTONDOWN, HTCLIENT, true), A::ShowWindowInformation, A::PassOn},
        {"caption press shows, else topmost", facts(WM_NCRBUTTONDOWN, HTCAPTION, true), A::ShowWindowInformation,
         A::ToggleTopmost},
        {"client release swallowed", facts(WM_RBUTTONUP, HTCLIENT, true), A::Swallow, A::PassOn},
        {"frame release swallowed", facts(WM_NCRBUTTONUP, HTCAPTION, true), A::Swallow, A::PassOn},
        {"mode off: client press passes", facts(WM_RBUTTONDOWN, HTCLIENT, false), A::PassOn, A::PassOn},
        {"mode off: client release passes", facts(WM_RBUTTONUP, HTCLIENT, false), A::PassOn, A::PassOn},
    };
    for (const Case& c : cases) {
        const MouseDecision d = DecideMouse(c.f);
        CHECK(d.action == c.action);
        CHECK(d.otherwise == c.otherwise);
        if (d.action != c.action || d.otherwise != c.otherwise)
            MESSAGE(check::Format("case: %s", c.what));
    }
}
