// The program's side of the 32-bit companion, decided apart from Win32: the
// library mirror (recorded by the push functions themselves, replayed in
// order, bad bytes refused), the companion's command line, and the notice
// of the 32-bit program on 64-bit Windows with its texts in every shipped
// language file.
#include <windows.h>

#include <string>
#include <vector>

#include "quornvale/companion/companion_arguments.h"
#include "quornvale/companion/companion_protocol.h"
#include "quornvale/shell/companion_link.h"
#include "quornvale/shell/hook_library.h"
#include "quornvale/shell/library_mirror.h"
#include "quornvale/shell/platform_notice.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"

using namespace scenario;

namespace {
// What a replay delivered, one line per call.
std::vector<std::string> g_calls;

std::string Narrow(const wchar_t* text)
{
    std::string out;
    for (; text && *text; ++text)
        out += char(*text);
    return out;
}
void Feature(DWORD mask, LONG value) { g_calls.push_back(check::Format("feature %lx=%ld", mask, long(value))); }
void Params(DWORD flags, const FeatureParams& p)
{
    g_calls.push_back(check::Format("params %lx %d %d %d %u %ld %p %ld", flags, p.s_s_scroll_distance,
                                    p.s_s_scroll_delta, p.s_s_scroll_mode, unsigned(p.s_s_rollup_animate),
                                    long(p.s_n_rollup_hotaction), static_cast<void*>(p.s_h_cover_wnd),
                                    long(p.s_b_displaysize)));
}
void List(const char* setter, const wchar_t* list)
{
    g_calls.push_back(list ? check::Format("list %s=%s", setter, Narrow(list).c_str())
                           : check::Format("list %s null", setter));
}
void Value(const char* setter, LONG value) { g_calls.push_back(check::Format("value %s=%ld", setter, long(value))); }
void Hook(int type, const char* name, bool on) { g_calls.push_back(check::Format("hook %d %s %d", type, name, on)); }
void Action(const char* name, DWORD argument) { g_calls.push_back(check::Format("action %s %lu", name, argument)); }
constexpr MirrorSink kSink = {Feature, Params, List, Value, Hook, Action};

std::vector<BYTE> Bytes()
{
    std::vector<BYTE> bytes(MirrorByteSize());
    WriteMirror(bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::string> Replay(const std::vector<BYTE>& bytes, DWORD* last_action, bool* ok = nullptr)
{
    g_calls.clear();
    const bool replayed = ReplayMirror(bytes.data(), bytes.size(), kSink, last_action);
    if (ok)
        *ok = replayed;
    return g_calls;
}
}  // namespace

TEST_CASE("the_push_functions_record_what_they_push_and_a_replay_gives_it_back_in_order")
{
    ClearMirror();
    // No library is loaded here: the record is made all the same, in the
    // call that would reach it.
    PushFeature(kFeatureRollUp, 1);
    FeatureParams params = {};
    params.s_s_scroll_distance = 12;
    params.s_s_scroll_delta = -30;
    params.s_s_scroll_mode = 2;
    params.s_h_cover_wnd = reinterpret_cast<HWND>(ULONG_PTR(0x1234));
    PushFeatureParams(kFeatureAutoScrolling, params);
    PushList(kExportSetNotifyIconList, L"notepad.exe;wordpad.exe");
    PushIntValue(kExportSetMinimalAlphaValue, 70);
    MirrorHook(WH_MOUSE, kExportMouseProc, true);
    MirrorHook(WH_MOUSE_LL, kExportLowLevelMouseProc, true);  // the program's own
    MirrorHook(WH_GETMESSAGE, kExportGetMsgProc, true);
    PushAction(kExportReturnTrayWindows, 0);
    // Later values replace earlier ones in their first place.
    PushFeature(kFeatureRollUp, 0);
    PushList(kExportSetNotifyIconList, nullptr);
    PushIntValue(kExportSetMinimalAlphaValue, 255);
    MirrorHookRemoved(kExportGetMsgProc);
    MirrorHookRemoved(kExportLowLevelKeyboardProc);  // never recorded: nothing

    DWORD last_action = 0;
    bool ok = false;
    const std::vector<std::string> calls = Replay(Bytes(), &last_action, &ok);
    CHECK(ok);
    const std::vector<std::string> expected = {
        "feature 1=0",
        check::Format("params 4 12 -30 2 0 0 %p 0", reinterpret_cast<void*>(ULONG_PTR(0x1234))),
        "list SetNotifyIconList null",
        "value SetMinimalAlphaValue=255",
        "hook 7 MouseProc 1",
        "hook 3 GetMsgProc 0",
        "action ReturnTrayWindows 0",
    };
    CHECK_EQ(calls.size(), expected.size());
    for (size_t i = 0; i < calls.size() && i < expected.size(); ++i)
        CHECK_EQ(calls[i], expected[i]);

    // An action runs once for each reader; a new one runs again.
    CHECK_EQ(Replay(Bytes(), &last_action).size(), expected.size() - 1);
    PushAction(kExportReturnTrayWindows, 0);
    CHECK_EQ(Replay(Bytes(), &last_action).back(), std::string("action ReturnTrayWindows 0"));
    ClearMirror();
}

TEST_CASE("a_mirror_with_bad_bytes_is_refused_where_they_start")
{
    ClearMirror();
    PushFeature(kFeatureTopmost, 1);
    PushList(kExportSetDisableIMEList, L"Edit");
    PushIntValue(kExportSetMButtonFunctionCode, 2);
    const std::vector<BYTE> good = Bytes();
    ClearMirror();
    DWORD last = 0;
    bool ok = false;
    CHECK_EQ(Replay(good, &last, &ok).size(), size_t(3));
    CHECK(ok);

    // Cut anywhere: never read past the end, never a call from a cut record.
    for (size_t size = 0; size < good.size(); ++size) {
        std::vector<BYTE> cut(good.begin(), good.begin() + size);
        const std::vector<std::string> calls = Replay(cut, &last, &ok);
        if (!CHECK(!ok))
            MESSAGE(check::Format("cut at %u replayed", unsigned(size)));
        CHECK(calls.size() < 3);
    }
    std::vector<BYTE> bad = good;
    bad[0] ^= 0xFF;  // signature
    CHECK(Replay(bad, &last).empty());
    // The list's terminator overwritten: the list and what follows are refused.
    bad = good;
    const size_t list_end = 8 + 68 + 68 + 8;  // header, two records, "Edit" + terminator
    bad[list_end] = 'x';
    bad[list_end + 1] = 0;
    CHECK_EQ(Replay(bad, &last, &ok).size(), size_t(1));
    CHECK(!ok);
    // A list length far beyond the bytes.
    bad = good;
    bad[8 + 68 + 12] = 0xFF;
    bad[8 + 68 + 15] = 0x7F;
    CHECK_EQ(Replay(bad, &last, &ok).size(), size_t(1));
    CHECK(!ok);
}

TEST_CASE("the_companion_takes_only_its_own_command_line")
{
    struct Row {
        const wchar_t* arguments;
        bool ok;
        ULONG_PTR window;
    };
    const Row rows[] = {
        {L"/companion 1234", true, 1234},
        {L"  /companion\t 4294967295  ", true, 0xFFFFFFFFu},
        {L"", false, 0},
        {L"/companion", false, 0},
        {L"/companion ", false, 0},
        {L"/companion 0", false, 0},
        {L"/companion 4294967296", false, 0},
        {L"/companion 99999999999999999999999", false, 0},
        {L"/companion 12x", false, 0},
        {L"/companion -5", false, 0},
        {L"/companion 12 13", false, 0},
        {L"/companion12", false, 0},
        {L"/Companion 12", false, 0},
        {L"/other 12", false, 0},
        {nullptr, false, 0},
    };
    for (const Row& row : rows) {
        ULONG_PTR window = 0;
        CHECK_EQ(ParseCompanionArguments(row.arguments, &window), row.ok);
        if (row.ok)
            CHECK_EQ(window, row.window);
    }
}

TEST_CASE("the_companion_lies_in_the_x86_folder_below_the_program")
{
    wchar_t path[MAX_PATH];
    CHECK(CompanionPath(L"C:\\Program Files\\Quornvale\\", path, MAX_PATH));
    CHECK(lstrcmpW(path, L"C:\\Program Files\\Quornvale\\x86\\quornvale32.exe") == 0);
    std::wstring deep(MAX_PATH - 10, L'a');
    CHECK(!CompanionPath(deep.c_str(), path, MAX_PATH));
}

TEST_CASE("only_a_32_bit_program_under_wow64_tells_about_the_win64_package")
{
    struct Row {
        bool image_is_64bit, has_query, query_ok, is_wow64, tells;
    };
    const Row rows[] = {
        {false, true, true, true, true},     // win32 package on 64-bit Windows
        {false, true, true, false, false},   // 32-bit Windows XP and later
        {false, false, false, false, false}, // Windows 2000: no IsWow64Process
        {false, true, false, true, false},   // the query failed
        {true, true, true, false, false},    // the win64 program
        {true, true, true, true, false},
    };
    for (const Row& row : rows)
        CHECK_EQ(NeedsWin64PackageNotice(row.image_is_64bit, row.has_query, row.query_ok, row.is_wow64), row.tells);
}

TEST_CASE("every_shipped_language_file_has_the_win64_package_notice")
{
    const std::wstring dir = JoinPath(BinDir(), L"language");
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(JoinPath(dir, L"*.ini").c_str(), &found);
    REQUIRE(search != INVALID_HANDLE_VALUE);
    int files = 0;
    do {
        ++files;
        const std::wstring file = JoinPath(dir, found.cFileName);
        for (const wchar_t* key : {L"ID_WIN64_TITLE", L"ID_WIN64_MESSAGE"}) {
            wchar_t text[256] = {};
            GetPrivateProfileStringW(L"platform", key, L"", text, 256, file.c_str());
            if (!CHECK(lstrlenW(text) > 10))
                MESSAGE(check::Format("%ls has no [platform] %ls", found.cFileName, key));
            else if (lstrcmpW(key, L"ID_WIN64_MESSAGE") == 0)
                CHECK(wcsstr(text, L"win64") != nullptr);
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    CHECK(files >= 2);

    // Without a language file the English texts stand in.
    wchar_t title[64] = {}, text[256] = {};
    Win64PackageNoticeTexts(title, 64, text, 256);
    CHECK(lstrcmpW(title, L"64-bit Windows") == 0);
    CHECK(wcsstr(text, L"win64") != nullptr);
}
