// The command lines given to net.exe: every value arrives as one argument,
// unchanged, when the line is split by the system's rules
// (CommandLineToArgvW, which the C runtime's start-up code follows for
// these texts); values that could act as a switch or another share are
// refused, and nothing is ever cut.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "quornvale/tools/command_line_quote.h"
#include "quornvale/tools/net_use_command.h"
#include "tests/framework/check.h"

namespace {
// The arguments after the program name, as a started program receives them.
std::vector<std::wstring> Split(const wchar_t* line)
{
    std::wstring whole = std::wstring(L"net.exe") + line;
    int count = 0;
    std::vector<std::wstring> out;
    if (LPWSTR* argv = CommandLineToArgvW(whole.c_str(), &count)) {
        for (int i = 1; i < count; ++i)
            out.push_back(argv[i]);
        LocalFree(argv);
    }
    return out;
}

std::wstring Quoted(const wchar_t* value, bool always)
{
    wchar_t out[64] = L"";
    return AppendQuotedArgument(out, 64, 0, value, always) < 0 ? L"<refused>" : out;
}
}  // namespace

TEST_CASE("quoting_gives_the_expected_text_and_round_trips")
{
    struct Row {
        const wchar_t* value;
        bool always;
        const wchar_t* quoted;
    };
    const Row rows[] = {
        {L"plain", false, L"plain"},
        {L"plain", true, L"\"plain\""},
        {L"", false, L"\"\""},
        {L"two words", false, L"\"two words\""},
        {L"a\"b", false, L"\"a\\\"b\""},
        {L"a\\\"b", false, L"\"a\\\\\\\"b\""},   // a\"b: the backslash doubled, the quote escaped
        {L"end\\", true, L"\"end\\\\\""},         // a backslash before the closing quote doubled
        {L"end\\\\", false, L"end\\\\"},          // unquoted backslashes stay as they are
        {L"c:\\dir\\", false, L"c:\\dir\\"},
        {L"&|<>^%!", false, L"&|<>^%!"},
        {L"\"", false, L"\"\\\"\""},
        {L"tab\there", false, L"\"tab\there\""},
        {L"\\\\server\\share x\\", false, L"\"\\\\server\\share x\\\\\""},
    };
    for (const Row& row : rows) {
        CHECK_EQ(Quoted(row.value, row.always), std::wstring(row.quoted));
        // Between two other arguments, it comes back as it was.
        wchar_t line[128] = L" first ";
        int n = AppendQuotedArgument(line, 128, lstrlenW(line), row.value, row.always);
        REQUIRE(n > 0);
        lstrcatW(line, L" last");
        auto args = Split(line);
        REQUIRE_EQ(args.size(), size_t(3));
        CHECK_EQ(args[1], std::wstring(row.value));
        CHECK_EQ(args[2], std::wstring(L"last"));
    }
    // What does not fit is refused and leaves the text as it was.
    wchar_t small[8] = L"ab";
    CHECK_EQ(AppendQuotedArgument(small, 8, 2, L"a\"b c", false), -1);
    CHECK_EQ(std::wstring(small), std::wstring(L"ab"));
    CHECK_EQ(AppendQuotedArgument(small, 8, 2, L"abcde", false), 7);
}

TEST_CASE("net_use_lines_carry_each_value_as_one_argument")
{
    struct Row {
        const wchar_t *remote, *user, *password;
    };
    const Row rows[] = {
        {L"server", L"alice", L"secret"},
        {L"192.168.1.5", L"DOMAIN\\bob", L"pa ss\"word"},
        {L"host", L"a b\" /delete", L"x & del c:\\*.* \\"},
        {L"host", L"", L""},
        {L"host", L"c:/u\\\"", L"\\\"\\"},
        {L"fe80::1%4", L"u&v|w", L"1/2"},
    };
    for (const Row& row : rows) {
        wchar_t line[kNetUseLineChars];
        REQUIRE(BuildNetUseLine(NetUseCommand::Connect, row.remote, row.user, row.password, line,
                                kNetUseLineChars) == NetUseBuild::Ok);
        auto args = Split(line);
        REQUIRE_EQ(args.size(), size_t(4));
        CHECK_EQ(args[0], std::wstring(L"use"));
        CHECK_EQ(args[1], L"\\\\" + std::wstring(row.remote) + L"\\IPC$");
        CHECK_EQ(args[2], std::wstring(row.password));
        CHECK_EQ(args[3], L"/USER:" + std::wstring(row.user));

        REQUIRE(BuildNetUseLine(NetUseCommand::Disconnect, row.remote, row.user, row.password, line,
                                kNetUseLineChars) == NetUseBuild::Ok);
        CHECK_EQ(std::wstring(line), L" use \\\\" + std::wstring(row.remote) + L" /delete");
    }
    // Ordinary values give exactly the familiar line.
    wchar_t line[kNetUseLineChars];
    BuildNetUseLine(NetUseCommand::Connect, L"srv", L"me", L"pw", line, kNetUseLineChars);
    CHECK_EQ(std::wstring(line), std::wstring(L" use \\\\srv\\IPC$ \"pw\" /USER:me"));
}

TEST_CASE("values_that_cannot_be_passed_safely_are_refused_and_nothing_is_cut")
{
    struct Row {
        NetUseCommand command;
        const wchar_t *remote, *user, *password;
        NetUseBuild expected;
    };
    std::wstring long_user(1100, L'u');
    const Row rows[] = {
        {NetUseCommand::Connect, L"", L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Disconnect, nullptr, L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Connect, L"host\\C$", L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Disconnect, L"a b", L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Connect, L"h\"x", L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Connect, L"/delete", L"u", L"p", NetUseBuild::BadRemote},
        {NetUseCommand::Connect, L"host", L"u\r\nx", L"p", NetUseBuild::BadUser},
        {NetUseCommand::Connect, L"host", L"u", L"/delete", NetUseBuild::BadPassword},
        {NetUseCommand::Connect, L"host", L"u", L"*", NetUseBuild::BadPassword},
        {NetUseCommand::Connect, L"host", L"u", L"a\nb", NetUseBuild::BadPassword},
        {NetUseCommand::Connect, L"host", long_user.c_str(), L"p", NetUseBuild::TooLong},
        // A disconnect carries no user or password.
        {NetUseCommand::Disconnect, L"host", L"u\n", L"*", NetUseBuild::Ok},
    };
    for (const Row& row : rows) {
        wchar_t line[kNetUseLineChars] = L"old";
        CHECK(BuildNetUseLine(row.command, row.remote, row.user, row.password, line, kNetUseLineChars) ==
              row.expected);
        if (row.expected != NetUseBuild::Ok)
            CHECK_EQ(std::wstring(line), std::wstring());
        CHECK(NetUseBuildText(row.expected) != nullptr);
    }
}
