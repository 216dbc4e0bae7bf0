// Shared block, feature switches and the name-list rules of the hook library.
#include <string>

#include "ostrilix/core/captioned_window.h"
#include "ostrilix/core/config_exports.h"
#include "ostrilix/core/list_match.h"
#include "ostrilix/core/name_lists.h"
#include "ostrilix/core/shared_block.h"
#include "tests/framework/check.h"

namespace {
bool Listed(const wchar_t* list, const wchar_t* key)
{
    return IsKeyListed(list, wcslen(list), key);
}
}  // namespace

TEST_CASE("initial_values_of_a_fresh_block")
{
    SharedBlock block = g_shared;  // nothing in this process wrote it yet
    CHECK(FeatureValue(block, kFeatureRollUp) != 0);
    CHECK(FeatureValue(block, kFeatureChord) != 0);
    CHECK(FeatureValue(block, kFeatureDirectScroll) != 0);
    CHECK_EQ(FeatureValue(block, kFeatureTopmost), 0);
    CHECK_EQ(block.s_n_minimal_alpha, 40);
    CHECK_EQ(block.s_cr_text_bkcolor, COLORREF(0xFFFFFFFF));
    CHECK_EQ(block.s_cr_text_color, COLORREF(0x00FFFFFF));
    CHECK_EQ(block.s_sz_disableime_classes[0], L'\0');
}

TEST_CASE("enable_features_stores_value_in_every_masked_switch")
{
    SharedBlock block = {};
    StoreFeatures(block, 0x21, 1);
    CHECK_EQ(block.s_b_rollupwnd, 1);
    CHECK_EQ(block.s_b_babylon, 1);
    CHECK_EQ(block.s_b_topmost, 0);

    SharedBlock before = block;
    StoreFeatures(block, 0, 7);
    CHECK(memcmp(&before, &block, sizeof(block)) == 0);

    StoreFeatures(block, 0x8, 2);
    CHECK_EQ(block.s_b_retrieve_wnd_info, 2);
    CHECK_EQ(FeatureValue(block, 0x8), 2);

    // Bits beyond the thirteen switches are ignored.
    before = block;
    StoreFeatures(block, 0xFFFF0000u, 5);
    CHECK(memcmp(&before, &block, sizeof(block)) == 0);

    StoreFeatures(block, 0x1FFF, 3);
    for (DWORD bit = 1; bit <= 0x1000; bit <<= 1)
        CHECK_EQ(FeatureValue(block, bit), 3);
}

TEST_CASE("feature_test_answers_for_bit_0x20_first")
{
    SharedBlock block = {};
    block.s_b_babylon = 9;
    block.s_b_rollupwnd = 0;
    CHECK_EQ(FeatureValue(block, 0x21), 9);
    block.s_b_babylon = 0;
    block.s_b_rollupwnd = 4;
    CHECK_EQ(FeatureValue(block, 0x21), 0);
    CHECK_EQ(FeatureValue(block, 0x1), 4);
    CHECK_EQ(FeatureValue(block, 0), 0);
    CHECK_EQ(FeatureValue(block, 0x2000), 0);
}

TEST_CASE("feature_params_copy_only_the_fields_of_the_flags_passed")
{
    SharedBlock block = {};
    FeatureParams all = {10, 40, 2, 4, -1, reinterpret_cast<HWND>(0x1234), 1};
    StoreFeatureParams(block, 0x4, all);
    CHECK_EQ(block.s_feature_value.s_s_scroll_distance, 10);
    CHECK_EQ(block.s_feature_value.s_s_scroll_delta, 40);
    CHECK_EQ(block.s_feature_value.s_s_scroll_mode, 2);
    CHECK_EQ(block.s_feature_value.s_s_rollup_animate, 0);
    CHECK_EQ(block.s_feature_value.s_n_rollup_hotaction, 0);
    CHECK(block.s_feature_value.s_h_cover_wnd == nullptr);

    StoreFeatureParams(block, 0x1, all);
    CHECK_EQ(block.s_feature_value.s_s_rollup_animate, 4);
    CHECK_EQ(block.s_feature_value.s_n_rollup_hotaction, -1);
    CHECK(block.s_feature_value.s_h_cover_wnd == nullptr);

    FeatureParams other = {};
    StoreFeatureParams(block, 0x400 | 0x8000, all);
    StoreFeatureParams(block, 0x8000, other);  // unknown flag: no change
    CHECK(block.s_feature_value.s_h_cover_wnd == reinterpret_cast<HWND>(0x1234));
    CHECK_EQ(block.s_feature_value.s_b_displaysize, 1);
    CHECK_EQ(block.s_feature_value.s_s_scroll_distance, 10);
}

TEST_CASE("value_setters_store_as_given")
{
    CHECK_EQ(SetMinimalAlphaValue(300), DWORD(44));
    CHECK_EQ(g_shared.s_n_minimal_alpha, 44);
    CHECK_EQ(SetAeroSnapMode(-3), -3);
    CHECK_EQ(g_shared.s_n_aero_snap_mode, -3);
    CHECK_EQ(SetMButtonFunctionCode(7), 7);
    CHECK_EQ(g_shared.s_n_mbutton_code, 7);
    SetRetrieveWndInfoFlag(2);
    CHECK_EQ(IsFeatureEnabled(0x8), 2);
    EnableFeatures(0x8, 0);
    CHECK_EQ(IsFeatureEnabled(0x8), 0);
}

TEST_CASE("key_match_follows_the_list_rules")
{
    const wchar_t* list = L"C:\\Tools\\App.exe, TrayClass; D:\\Other.exe, X";
    CHECK(Listed(list, L"c:\\tools\\app.exe, TrayClass"));
    CHECK(Listed(list, L"D:\\Other.exe, X"));
    // The last entry is shorter than the key and the key begins with it.
    CHECK(Listed(list, L"D:\\Other.exe, XY"));
    CHECK(!Listed(list, L"C:\\Tools\\App.exe, OtherClass"));
    CHECK(!Listed(list, L"E:\\App.exe, TrayClass"));

    CHECK(Listed(L"C:\\A\\b.exe", L"C:\\A\\b.exe"));
    CHECK(Listed(L"C:\\A\\b.exe", L"C:\\A\\b.exe2"));
    CHECK(!Listed(L"C:\\A\\b.exe", L"C:\\A\\c.exe"));
    // An entry matches when it begins with the whole key.
    CHECK(Listed(L"C:\\A\\b.exe.bak;C:\\x.exe", L"C:\\A\\b.exe"));
    // Spaces and separators before entries are skipped; empty lists hold nothing.
    CHECK(Listed(L" ;  ;C:\\x.exe", L"c:\\X.EXE"));
    CHECK(!Listed(L"", L"C:\\x.exe"));
    CHECK(!Listed(L";;;", L"C:\\x.exe"));
    CHECK(!IsKeyListed(nullptr, 0, L"C:\\x.exe"));
    // The scan stops at the given length even without a terminator.
    const wchar_t unterminated[5] = {L'a', L'b', L';', L'c', L'd'};
    CHECK(IsKeyListed(unterminated, 5, L"cd"));
    CHECK(!IsKeyListed(unterminated, 2, L"cd"));
}

TEST_CASE("middle_button_exceptions")
{
    CHECK(IsMidButtonException(L"Notepad,CabinetWClass", L"Notepad"));
    CHECK(IsMidButtonException(L"Notepad,CabinetWClass", L"CabinetWClass"));
    CHECK(!IsMidButtonException(L"Notepad,CabinetWClass", L"notepad"));
    // The character after a comma always belongs to the next entry.
    CHECK(IsMidButtonException(L"A,,B", L"A"));
    CHECK(IsMidButtonException(L"A,,B", L",B"));
    CHECK(!IsMidButtonException(L"A,,B", L"B"));
    // Only the first ten entries count.
    const wchar_t* twelve = L"C1,C2,C3,C4,C5,C6,C7,C8,C9,C10,C11,C12";
    CHECK(IsMidButtonException(twelve, L"C10"));
    CHECK(!IsMidButtonException(twelve, L"C11"));
    CHECK(!IsMidButtonException(twelve, L"C12"));
    CHECK(!IsMidButtonException(twelve, L"C10,C11"));
    // An empty list exempts only the empty class name.
    CHECK(IsMidButtonException(L"", L""));
    CHECK(!IsMidButtonException(L"", L"Edit"));
    // A trailing comma leaves an empty entry.
    CHECK(IsMidButtonException(L"Edit,", L""));
    // The list is read no further than 260 characters.
    std::wstring long_list(300, L'x');
    CHECK(!IsMidButtonException(long_list.c_str(), long_list.c_str()));
    CHECK(IsMidButtonException(long_list.c_str(), std::wstring(260, L'x').c_str()));
}

TEST_CASE("input_method_class_list")
{
    const wchar_t* list = L"[Edit];[Notepad];";
    CHECK(IsClassInImeList(list, L"Edit"));
    CHECK(IsClassInImeList(list, L"Notepad"));
    CHECK(!IsClassInImeList(list, L"edit"));
    CHECK(!IsClassInImeList(list, L"Note"));
    CHECK(!IsClassInImeList(list, L""));
    CHECK(!IsClassInImeList(L"", L"Edit"));
}

TEST_CASE("short_lists_are_cut_to_259_characters")
{
    std::wstring long_list(300, L'q');
    CHECK_EQ(SetMidButtonExceptionList(long_list.c_str()), 1);
    CHECK_EQ(std::wstring(g_shared.s_sz_mbutton_except), std::wstring(259, L'q'));
    SetMidButtonExceptionList(L"CabinetWClass");
    SetMidButtonExceptionList(L"Notepad");
    CHECK_EQ(std::wstring(g_shared.s_sz_mbutton_except), std::wstring(L"Notepad"));
    CHECK_EQ(SetMidButtonExceptionList(nullptr), 0);
    CHECK_EQ(std::wstring(g_shared.s_sz_mbutton_except), std::wstring(L"Notepad"));

    SetDisableIMEList(long_list.c_str());
    CHECK_EQ(std::wstring(g_shared.s_sz_disableime_classes), std::wstring(259, L'q'));
    SetDisableIMEList(L"[Edit];");
    SetDisableIMEList(L"");      // an empty list leaves the stored one
    SetDisableIMEList(nullptr);
    CHECK_EQ(std::wstring(g_shared.s_sz_disableime_classes), std::wstring(L"[Edit];"));
}

TEST_CASE("mapped_lists_round_trip_and_release")
{
    CHECK_EQ(SetNotifyIconList(nullptr), 1);  // holds nothing: nothing to do
    REQUIRE_EQ(SetNotifyIconList(L"C:\\x.exe, Cls"), 1);
    size_t capacity = 0;
    const wchar_t* seen = GetNotifyIconList(&capacity);
    REQUIRE(seen != nullptr);
    CHECK_EQ(std::wstring(seen), std::wstring(L"C:\\x.exe, Cls"));
    CHECK(capacity >= kMinListMappingChars);

    // A second handle on the same name sees the same text.
    HANDLE other = OpenFileMappingW(FILE_MAP_READ, FALSE, L"OSTRILIX_NOFITYICON_LIST");
    REQUIRE(other != nullptr);
    auto* view = static_cast<const wchar_t*>(MapViewOfFile(other, FILE_MAP_READ, 0, 0, 0));
    REQUIRE(view != nullptr);
    CHECK_EQ(std::wstring(view), std::wstring(L"C:\\x.exe, Cls"));

    // Rewriting while another holder keeps the mapping alive reuses it.
    REQUIRE_EQ(SetNotifyIconList(L"D:\\y.exe, Other"), 1);
    CHECK_EQ(std::wstring(view), std::wstring(L"D:\\y.exe, Other"));

    // A list longer than the mapping that another holder keeps is refused,
    // nothing is written past the mapping, and the old entries stop.
    std::wstring huge(kMinListMappingChars * 3, L'z');
    CHECK_EQ(SetNotifyIconList(huge.c_str()), 0);
    CHECK_EQ(std::wstring(view), std::wstring(L""));
    // So does a list that is dropped while another holder keeps the mapping.
    REQUIRE_EQ(SetNotifyIconList(L"E:\\z.exe, Cls"), 1);
    CHECK_EQ(std::wstring(view), std::wstring(L"E:\\z.exe, Cls"));
    CHECK_EQ(SetNotifyIconList(nullptr), 1);
    CHECK_EQ(std::wstring(view), std::wstring(L""));
    UnmapViewOfFile(view);
    CloseHandle(other);

    CHECK_EQ(SetNotifyIconList(nullptr), 1);
    // Once no one holds it, a longer list creates a mapping large enough.
    REQUIRE_EQ(SetScrollDirectlyExceptionList(huge.c_str()), 1);
    seen = GetScrollExceptionList(&capacity);
    REQUIRE(seen != nullptr);
    CHECK_EQ(wcslen(seen), huge.size());
    ReleaseMappedLists();
}

TEST_CASE("a_reader_opens_its_view_once_read_only_and_looks_again_only_after_a_write")
{
    ReleaseMappedLists();
    size_t capacity = 99;
    CHECK(GetNotifyIconList(&capacity) == nullptr);
    CHECK_EQ(capacity, size_t(0));
    CHECK(!IsProcessScrollException());

    // A mapping that appears without a write of the program is not looked
    // for on every event ...
    HANDLE outside = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 4096,
                                        L"OSTRILIX_NOFITYICON_LIST");
    REQUIRE(outside != nullptr);
    auto* text = static_cast<wchar_t*>(MapViewOfFile(outside, FILE_MAP_WRITE, 0, 0, 0));
    REQUIRE(text != nullptr);
    lstrcpyW(text, L"C:\\a.exe, A");
    CHECK(GetNotifyIconList(&capacity) == nullptr);
    // ... but once any list is written, it is found.
    REQUIRE_EQ(SetScrollDirectlyExceptionList(L"c:\\none.exe"), 1);
    const wchar_t* seen = GetNotifyIconList(&capacity);
    REQUIRE(seen != nullptr);
    CHECK_EQ(std::wstring(seen), std::wstring(L"C:\\a.exe, A"));
    // The same view every time, and nobody can write through it.
    CHECK(GetNotifyIconList(nullptr) == seen);
    MEMORY_BASIC_INFORMATION info = {};
    REQUIRE(VirtualQuery(seen, &info, sizeof(info)) != 0);
    CHECK_EQ(info.Protect, DWORD(PAGE_READONLY));
    // Later writes show through the view that stays.
    lstrcpyW(text, L"C:\\b.exe, B");
    CHECK_EQ(std::wstring(GetNotifyIconList(nullptr)), std::wstring(L"C:\\b.exe, B"));

    UnmapViewOfFile(text);
    CloseHandle(outside);
    SetScrollDirectlyExceptionList(nullptr);
    ReleaseMappedLists();
}

TEST_CASE("captioned_window_lookup")
{
    CHECK(GetCaptionedWindow(nullptr) == nullptr);
    HWND top = CreateWindowExW(0, L"STATIC", L"top", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                               nullptr, nullptr, nullptr, nullptr);
    HWND child = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 20, 20, top, nullptr,
                                 nullptr, nullptr);
    HWND popup = CreateWindowExW(0, L"STATIC", L"popup", WS_POPUP | WS_BORDER, 0, 0, 20, 20,
                                 nullptr, nullptr, nullptr, nullptr);
    HWND popup_child = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, popup, nullptr,
                                       nullptr, nullptr);
    CHECK(GetCaptionedWindow(top) == top);
    CHECK(GetCaptionedWindow(child) == top);
    CHECK(GetCaptionedWindow(popup) == nullptr);
    CHECK(GetCaptionedWindow(popup_child) == nullptr);
    DestroyWindow(popup);
    DestroyWindow(top);
}
