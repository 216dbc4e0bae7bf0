// Network share accounts through the real program and a net.exe double that
// records the arguments it receives as Windows splits them: connecting all
// at start, toggling from the menu, "state" written from net.exe's exit
// status, the balloons with its output, the disconnection of exactly the
// listed accounts at exit, a hung net.exe that cannot hold the exit, and a
// missing one that costs a balloon, not the program.
#include <windows.h>

#include <string>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/net_double.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
using Args = std::vector<std::wstring>;

std::wstring State(const Program& program, const wchar_t* account)
{
    wchar_t value[32] = L"";
    GetPrivateProfileStringW(account, L"state", L"<none>", value, 32, program.SettingsPath().c_str());
    return value;
}

std::vector<TrayNotification> Balloons(const TrayShell& shell)
{
    std::vector<TrayNotification> out;
    for (const TrayNotification& n : shell.Notifications())
        if (n.message == NIM_MODIFY && (n.flags & NIF_INFO))
            out.push_back(n);
    return out;
}

bool WaitForBalloons(const TrayShell& shell, size_t count)
{
    return WaitFor([&] { return Balloons(shell).size() >= count; }, 20000);
}

// Reading the tray menu once fills the account table that the account
// commands and the exit use.
bool ListAccounts(const Program& program)
{
    MenuView view;
    return ReadTrayMenu(program, &view);
}

void Command(const Program& program, UINT id) { PostMessageW(program.MainWindow(), WM_COMMAND, id, 0); }

// The values hold quotes, blanks, ampersands, slashes and backslashes; none
// begins and ends with a quote (the profile functions would take those off).
const char kTwoAccounts[] =
    "[netaccounts]\r\ncount=2\r\natstart=1\r\n"
    "[0]\r\nremote=alpha\r\nuser=DOM\\a \"b\" & c/d\r\npsw=p&w \"x\" /y\\\r\n"
    "[1]\r\nremote=beta\r\nuser=u\r\npsw=q\r\n";
const wchar_t kAlphaUser[] = L"/USER:DOM\\a \"b\" & c/d";
const wchar_t kAlphaPassword[] = L"p&w \"x\" /y\\";

// The first 255 characters of "Output that goes on and on." repeated.
const std::wstring kLongOutputText = [] {
    std::wstring text;
    while (text.size() < 255)
        text += L"Output that goes on and on.";
    return text.substr(0, 255);
}();
const wchar_t* const kLongOutput = kLongOutputText.c_str();

const char kReplies[] =
    "[reply]\r\noutput=The command completed successfully.\r\nexit=0\r\n"
    "[beta]\r\noutput=System error 1219 has occurred.\r\nexit=2\r\n";
}  // namespace

TEST_CASE("accounts_connect_toggle_and_disconnect_at_exit_with_each_value_as_one_argument")
{
    NetDouble net(kReplies);
    REQUIRE(net.Ready());
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"netflow", WithSettings(kTwoAccounts));
    REQUIRE(program.Start());

    // "atstart": both accounts connected in order, on a worker.
    REQUIRE(net.WaitForRuns(2, 20000));
    REQUIRE(WaitForBalloons(shell, 2));
    auto runs = net.Runs();
    CHECK(runs[0] == (Args{L"use", L"\\\\alpha\\IPC$", kAlphaPassword, kAlphaUser}));
    CHECK(runs[1] == (Args{L"use", L"\\\\beta\\IPC$", L"q", L"/USER:u"}));
    auto balloons = Balloons(shell);
    CHECK_EQ(balloons[0].title, std::wstring(L"Connect to alpha"));
    CHECK_EQ(balloons[0].info, std::wstring(L"The command completed successfully."));
    CHECK_EQ(balloons[0].info_flags, unsigned(NIIF_INFO));
    CHECK_EQ(balloons[1].title, std::wstring(L"Connect to beta"));
    CHECK_EQ(balloons[1].info, std::wstring(L"System error 1219 has occurred."));
    CHECK_EQ(balloons[1].info_flags, unsigned(NIIF_ERROR));
    CHECK(WaitFor([&] { return State(program, L"0") == L"1" && State(program, L"1") == L"0"; }, 5000));

    // Toggles from the menu: alpha ("state" 1) is disconnected, beta
    // connected; then beta succeeds with an output full of digits, which is
    // still a success: the exit status decides.
    REQUIRE(ListAccounts(program));
    struct Step {
        UINT command;
        const char* reply;  // null: as before
        Args expected;
        const wchar_t *account, *state, *info;
        unsigned icon;
    };
    const Step steps[] = {
        {CmdFirstAccount, nullptr, {L"use", L"\\\\alpha", L"/delete"}, L"0", L"0",
         L"The command completed successfully.", NIIF_INFO},
        {CmdFirstAccount + 1, nullptr, {L"use", L"\\\\beta\\IPC$", L"q", L"/USER:u"}, L"1", L"0",
         L"System error 1219 has occurred.", NIIF_ERROR},
        {CmdFirstAccount + 1, "[reply]\r\noutput=Connected to 192.168.1.5 on port 445.\r\nexit=0\r\n",
         {L"use", L"\\\\beta\\IPC$", L"q", L"/USER:u"}, L"1", L"1", L"Connected to 192.168.1.5 on port 445.",
         NIIF_INFO},
        // Far more output than a pipe holds: read while net.exe runs, so it
        // ends; the balloon shows the first 255 bytes.
        {CmdFirstAccount, "[reply]\r\noutput=Output that goes on and on.\r\nrepeat=4000\r\nexit=0\r\n",
         {L"use", L"\\\\alpha\\IPC$", kAlphaPassword, kAlphaUser}, L"0", L"1", kLongOutput, NIIF_INFO},
    };
    size_t run_count = 2, balloon_count = 2;
    for (const Step& step : steps) {
        if (step.reply)
            net.SetReply(step.reply);
        Command(program, step.command);
        REQUIRE(net.WaitForRuns(++run_count, 20000));
        REQUIRE(WaitForBalloons(shell, ++balloon_count));
        CHECK(net.Runs().back() == step.expected);
        const TrayNotification last = Balloons(shell).back();
        CHECK_EQ(last.info, std::wstring(step.info));
        CHECK_EQ(last.info_flags, step.icon);
        CHECK(WaitFor([&] { return State(program, step.account) == step.state; }, 5000));
    }

    // Exit: exactly the two listed accounts are disconnected, and their
    // "state" is 0.
    CHECK_EQ(program.Close(20000), 0);
    runs = net.Runs();
    REQUIRE_EQ(runs.size(), run_count + 2);
    CHECK(runs[run_count] == (Args{L"use", L"\\\\alpha", L"/delete"}));
    CHECK(runs[run_count + 1] == (Args{L"use", L"\\\\beta", L"/delete"}));
    CHECK_EQ(State(program, L"0"), std::wstring(L"0"));
    CHECK_EQ(State(program, L"1"), std::wstring(L"0"));
}

TEST_CASE("a_shell_slow_to_answer_a_workers_balloon_holds_up_no_other_balloon")
{
    NetDouble net("[reply]\r\noutput=The command completed successfully.\r\nexit=0\r\n");
    REQUIRE(net.Ready());
    // The shell answers the worker's balloon only once another notification
    // has come in (or after eight seconds).
    TrayShell shell;
    REQUIRE(shell.Start(true));
    Program program(L"netslowshell", WithSettings("[netaccounts]\r\ncount=1\r\natstart=1\r\n"
                                                  "[0]\r\nremote=alpha\r\nuser=u\r\npsw=p\r\n"));
    REQUIRE(program.Start());
    REQUIRE(WaitForBalloons(shell, 1));
    CHECK_EQ(Balloons(shell)[0].title, std::wstring(L"Connect to alpha"));
    // While the shell holds the worker's call, the main thread shows a
    // balloon of its own (the path switch, with nothing on the clipboard).
    REQUIRE(OpenClipboard(nullptr));
    EmptyClipboard();
    CloseClipboard();
    Command(program, CmdPathsToFileList);
    REQUIRE(WaitForBalloons(shell, 2));
    const TrayNotification second = Balloons(shell)[1];
    CHECK_EQ(second.title, std::wstring(L"Switching between path and pastable object"));
    CHECK(second.held);
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("without_accounts_net_exe_is_never_run")
{
    NetDouble net("[reply]\r\nexit=0\r\n");
    REQUIRE(net.Ready());
    Program program(L"netnone", WithSettings("[netaccounts]\r\ncount=0\r\natstart=1\r\n"
                                             "[0]\r\nremote=alpha\r\nstate=1\r\n"));
    REQUIRE(program.Start());
    REQUIRE(ListAccounts(program));
    Command(program, CmdConnectAll);
    Command(program, CmdFirstAccount);
    // The menu opened by a click posted after them: both commands handled.
    REQUIRE(ListAccounts(program));
    CHECK_EQ(program.Close(), 0);
    CHECK_EQ(net.Runs().size(), size_t(0));
    CHECK_EQ(State(program, L"0"), std::wstring(L"1"));
}

TEST_CASE("a_hung_net_exe_cannot_hold_the_exit_and_a_refused_value_is_never_run")
{
    // Each net.exe would hang for half a minute, and so would the net1.exe
    // it starts.
    NetDouble net("[reply]\r\nhang_ms=30000\r\nchild_hang_ms=30000\r\nexit=0\r\n");
    REQUIRE(net.Ready());
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"nethang", WithSettings("[netaccounts]\r\ncount=3\r\n"
                                             "[0]\r\nremote=alpha\r\nstate=1\r\n"
                                             "[1]\r\nremote=beta\r\nstate=1\r\n"
                                             "[2]\r\nremote=gamma\r\nuser=u\r\npsw=/delete\r\n"));
    REQUIRE(program.Start());
    REQUIRE(ListAccounts(program));
    // A password that net.exe would take for a switch: refused with a balloon.
    Command(program, CmdFirstAccount + 2);
    REQUIRE(WaitForBalloons(shell, 1));
    CHECK_EQ(Balloons(shell)[0].title, std::wstring(L"Connect to gamma"));
    CHECK_EQ(Balloons(shell)[0].info_flags, unsigned(NIIF_ERROR));
    CHECK_EQ(net.Runs().size(), size_t(0));

    const DWORD begun = GetTickCount();
    CHECK_EQ(program.Close(30000), 0);
    const DWORD took = GetTickCount() - begun;
    MESSAGE(check::Format("the exit with two hung net.exe took %lu ms (bound: 5000 ms each, 10000 ms in all)", took));
    CHECK(took < 20000);
    CHECK(net.Runs().size() >= 1);
    // Each net.exe was ended with the process it started.
    const std::vector<DWORD> children = net.Children();
    CHECK(!children.empty());
    for (DWORD id : children) {
        HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, id);
        if (child) {
            if (!CHECK_EQ(WaitForSingleObject(child, 5000), DWORD(WAIT_OBJECT_0)))
                MESSAGE(check::Format("net1.exe stand-in %lu still runs", id));
            CloseHandle(child);
        }
    }
    CHECK_EQ(State(program, L"0"), std::wstring(L"0"));
    CHECK_EQ(State(program, L"1"), std::wstring(L"0"));
}

TEST_CASE("net_exe_output_is_read_in_the_oem_code_page")
{
    // Console programs write in the OEM code page; the ANSI one differs here,
    // so a text read in the wrong one shows other characters.
    REQUIRE(GetOEMCP() != GetACP());
    // The double's settings file in UTF-8, with its byte order mark.
    NetDouble net("\xef\xbb\xbf[reply]\r\noutput=Verbindung zu Z\xc3\xbcrich: \xc3\xa9t\xc3\xa9 \xc3\xa0 jour.\r\nexit=0\r\n");
    REQUIRE(net.Ready());
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"netoem", WithSettings("[netaccounts]\r\ncount=1\r\natstart=1\r\n"
                                            "[0]\r\nremote=alpha\r\nuser=u\r\npsw=p\r\n"));
    REQUIRE(program.Start());
    REQUIRE(WaitForBalloons(shell, 1));
    CHECK_EQ(Balloons(shell)[0].info, std::wstring(L"Verbindung zu Z\u00fcrich: \u00e9t\u00e9 \u00e0 jour."));
    CHECK_EQ(program.Close(), 0);
}

TEST_CASE("a_missing_net_exe_gives_a_balloon_and_the_program_runs_on")
{
    NetDouble net("", false);
    REQUIRE(net.Ready());
    TrayShell shell;
    REQUIRE(shell.Start());
    Program program(L"netmissing", WithSettings("[netaccounts]\r\ncount=1\r\natstart=1\r\n"
                                                "[0]\r\nremote=alpha\r\nstate=1\r\n"));
    REQUIRE(program.Start());
    REQUIRE(WaitForBalloons(shell, 1));
    const TrayNotification balloon = Balloons(shell)[0];
    CHECK_EQ(balloon.title, std::wstring(L"Connect to alpha"));
    CHECK(balloon.info.find(L"net.exe could not be started") == 0);
    CHECK_EQ(balloon.info_flags, unsigned(NIIF_ERROR));
    // The worker writes "state", when it does, before its balloon.
    CHECK(program.Running());
    CHECK_EQ(State(program, L"0"), std::wstring(L"1"));
    CHECK_EQ(program.Close(), 0);
}
