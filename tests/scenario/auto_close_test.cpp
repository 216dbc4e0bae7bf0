// Automatic closing through the real program: windows matched by class, by
// title or by both are asked to close; a series of matching windows is
// closed on consecutive short ticks; a window that stays is asked again only
// every two seconds; switching off from the menu stops at once.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/target.h"

using namespace scenario;

namespace {
TargetOptions Window(const wchar_t* window_class, const wchar_t* title, int slot, bool keep_on_close = false)
{
    TargetOptions o;
    o.window_class = window_class;
    o.title = title;
    o.rect = {100 + 40 * slot, 100 + 40 * slot, 400 + 40 * slot, 300 + 40 * slot};
    o.activate = false;
    o.keep_on_close = keep_on_close;
    return o;
}

std::wstring Enable(const Program& program)
{
    wchar_t value[16] = L"";
    GetPrivateProfileStringW(L"autoclose", L"enable", L"<none>", value, 16, program.SettingsPath().c_str());
    return value;
}

std::vector<DWORD> CloseTimes(const TargetWindow& t)
{
    std::vector<DWORD> out;
    for (const auto& r : t.Messages(WM_CLOSE, 0))
        out.push_back(r.time);
    return out;
}
}  // namespace

TEST_CASE("windows_are_matched_by_class_by_title_or_by_both")
{
    struct Candidate {
        const wchar_t *window_class, *title;
        bool closed;
    };
    struct Row {
        const char* name;
        const char* settings;
        std::vector<Candidate> windows;
    };
    const Row rows[] = {
        {"by class", "[autoclose]\r\nenable=1\r\nclsname=QvCloseMe\r\n",
         {{L"QvCloseMe", L"Any title", true}, {L"QvKeepMe", L"Any title", false}}},
        {"by title", "[autoclose]\r\nenable=1\r\nwndname=Close this one\r\n",
         {{L"QvKeepMe", L"Close this one", true}, {L"QvKeepMe", L"Close this one too", false}}},
        {"by both", "[autoclose]\r\nenable=1\r\nwndname=Close this one\r\nclsname=QvCloseMe\r\n",
         {{L"QvCloseMe", L"Close this one", true}, {L"QvCloseMe", L"Other", false},
          {L"QvKeepMe", L"Close this one", false}}},
        {"neither", "[autoclose]\r\nenable=1\r\n", {{L"QvCloseMe", L"Close this one", false}}},
    };
    for (const Row& row : rows) {
        MESSAGE(check::Format("%s", row.name));
        // A window that every rule matches, below all the others: the program
        // asks one window a tick, from the top, so once it is asked every
        // window above it has been passed over or asked.
        const bool has_rule = std::string(row.name) != "neither";
        TargetWindow last;
        if (has_rule)
            REQUIRE(last.Start(Window(L"QvCloseMe", L"Close this one", int(row.windows.size()))));
        std::vector<std::unique_ptr<TargetWindow>> targets;
        for (size_t i = 0; i < row.windows.size(); ++i) {
            targets.push_back(std::make_unique<TargetWindow>());
            REQUIRE(targets.back()->Start(Window(row.windows[i].window_class, row.windows[i].title, int(i))));
        }
        Program program(L"autoclose", WithSettings(row.settings));
        REQUIRE(program.Start());
        for (size_t i = 0; i < row.windows.size(); ++i)
            if (row.windows[i].closed)
                CHECK(WaitFor([&] { return targets[i]->Count(WM_CLOSE) > 0 && !IsWindow(targets[i]->Window()); },
                              10000));
        if (has_rule)
            CHECK(WaitFor([&] { return last.Count(WM_CLOSE) > 0; }, 10000));
        else
            PumpFor(4500);  // nothing to look for: no window can show that it looked
        for (size_t i = 0; i < row.windows.size(); ++i)
            if (!row.windows[i].closed)
                CHECK_EQ(targets[i]->Count(WM_CLOSE), size_t(0));
        CHECK_EQ(program.Close(), 0);
    }
}

TEST_CASE("a_series_closes_on_short_ticks_a_stubborn_window_is_asked_every_two_seconds_and_off_stops")
{
    Program program(L"autoseries", WithSettings("[autoclose]\r\nenable=0\r\nclsname=QvSeries\r\n"));
    REQUIRE(program.Start());
    TargetWindow three[3];
    for (int i = 0; i < 3; ++i)
        REQUIRE(three[i].Start(Window(L"QvSeries", L"Series", i)));

    // Switched on from the menu: all three asked one after another.
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdAutoClose, 0);
    for (TargetWindow& t : three)
        CHECK(WaitFor([&] { return t.Count(WM_CLOSE) > 0; }, 10000));
    CHECK_EQ(Enable(program), std::wstring(L"1"));
    DWORD first = ~0u, last = 0;
    for (TargetWindow& t : three)
        for (DWORD time : CloseTimes(t)) {
            first = time < first ? time : first;
            last = time > last ? time : last;
        }
    MESSAGE(check::Format("three windows asked within %lu ms (the idle period is %d ms)", last - first, 2000));
    CHECK(last - first < 1500);

    // A window that ignores WM_CLOSE is asked again only every two seconds,
    // not on every tick.
    TargetWindow stubborn;
    REQUIRE(stubborn.Start(Window(L"QvSeries", L"Stubborn", 3, true)));
    CHECK(WaitFor([&] { return stubborn.Count(WM_CLOSE) >= 3; }, 15000));
    const std::vector<DWORD> asked = CloseTimes(stubborn);
    for (size_t i = 1; i < asked.size(); ++i)
        CHECK(asked[i] - asked[i - 1] >= 1900);
    CHECK(stubborn.Alive());

    // Switched off: nothing is asked any more.
    PostMessageW(program.MainWindow(), WM_COMMAND, CmdAutoClose, 0);
    REQUIRE(WaitFor([&] { return Enable(program) == L"0"; }, 5000));
    PumpFor(300);
    const size_t before = stubborn.Count(WM_CLOSE);
    TargetWindow late;
    REQUIRE(late.Start(Window(L"QvSeries", L"Late", 4)));
    PumpFor(4500);
    CHECK_EQ(late.Count(WM_CLOSE), size_t(0));
    CHECK_EQ(stubborn.Count(WM_CLOSE), before);
    CHECK_EQ(program.Close(), 0);
}
