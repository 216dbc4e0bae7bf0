// A settings.ini that a hand edit or a broken disk left malformed: a key
// before any section, a line cut short (no "="), a key given twice, a line
// of 64 KiB and a last line without its line end.  The program starts, takes
// a defined value for each key (the first of a repeated key, the default
// for a key without a value, the whole long list), and the write of a menu
// switch keeps every other line of the file.
#include <windows.h>

#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/library_view.h"

using namespace scenario;

namespace {
// 64 KiB of a notify-icon list: entries "C:\App0000.exe, Cls" separated by ";".
std::string LongList()
{
    std::string list;
    for (int i = 0; list.size() < 64 * 1024; ++i) {
        char entry[32];
        _snprintf(entry, sizeof entry, "C:\\App%05d.exe, Cls;", i);
        list += entry;
    }
    return list;
}

// The lines of an INI text, each with the section it stands in ("" before
// the first): "section|line".
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string section;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty())
            continue;
        if (line[0] == '[')
            section = line;
        lines.push_back(section + "|" + line);
    }
    return lines;
}

size_t CountLine(const std::vector<std::string>& lines, const std::string& wanted)
{
    size_t n = 0;
    for (const std::string& line : lines)
        n += line == wanted;
    return n;
}
}  // namespace

TEST_CASE("a_malformed_settings_file_starts_with_defined_values_and_loses_nothing")
{
    const std::string list = LongList();
    const std::string settings =
        "enable=1\r\n"                              // a key before any section
        "[topmost]\r\nenable=1\r\nenable=0\r\n"     // the first of a repeated key holds
        "[rollupwnd]\r\nenable=1\r\nhotaction\r\nanimate=3\r\n"  // a line cut short
        "[notifyicon]\r\nenable=1\r\nlist=" + list + "\r\n"       // 64 KiB
        "[information]\r\nenable=0\r\n"
        "[hidecursor]\r\nenable=1";                  // the last line without its end
    Program program(L"malformed", WithSettings(settings.c_str()));
    LibraryView view(program.LibraryPath());
    REQUIRE(view.Loaded());
    const DWORD started = GetTickCount();
    REQUIRE(program.Start());
    // Start-up is over once the last switch it pushes is in the block.
    const bool pushed = WaitFor([&] { return view.Block().s_b_hidecursor == 1; }, 30000);
    MESSAGE(check::Format("start-up took %lu ms", GetTickCount() - started));
    CHECK(pushed);

    SharedBlock b = view.Snapshot();
    CHECK_EQ(b.s_b_topmost, 1);
    CHECK_EQ(b.s_b_rollupwnd, 1);
    CHECK_EQ(b.s_feature_value.s_n_rollup_hotaction, 1);  // the default
    CHECK_EQ(b.s_feature_value.s_s_rollup_animate, 3);    // the line after the cut one
    CHECK_EQ(b.s_b_notifyicon, 1);
    const std::wstring mapped = LibraryView::MappedList(L"OSTRILIX_NOFITYICON_LIST");
    CHECK_EQ(mapped.size(), list.size());
    CHECK(mapped == std::wstring(list.begin(), list.end()));
    CHECK_EQ(b.s_b_retrieve_wnd_info, 0);  // the key before any section is no one's
    CHECK_EQ(b.s_b_hidecursor, 1);

    // A menu switch writes its key; every other line stays as it was.
    DWORD_PTR result = 0;
    REQUIRE(SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, CmdRollUp, 0, SMTO_NORMAL, 10000, &result));
    CHECK(WaitFor([&] { return view.Block().s_b_rollupwnd == 0; }, 5000));
    CHECK_EQ(program.Close(), 0);
    const std::vector<std::string> before = Lines(settings), after = Lines(ReadTextFile(program.SettingsPath()));
    const std::string flipped = "[rollupwnd]|enable=1";
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] == flipped)
            continue;
        if (!CHECK_EQ(CountLine(after, before[i]), CountLine(before, before[i])))
            MESSAGE(check::Format("line %u \"%.60s\" lost or repeated", unsigned(i + 1), before[i].c_str()));
    }
    // The switch itself: the roll-up section's enable, written once.
    std::string rollup;
    for (const std::string& line : after)
        if (line.rfind("[rollupwnd]|enable", 0) == 0)
            rollup += line + ";";
    CHECK_EQ(rollup, std::string("[rollupwnd]|enable=0;"));
}
