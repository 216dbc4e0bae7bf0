// The files shipped beside the program: settings.ini with every key, two
// complete language files, and the help file; and the program running on
// them, in both languages.
#include <string>
#include <utility>
#include <vector>

#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
using Keys = std::vector<std::pair<const wchar_t*, std::vector<const wchar_t*>>>;

const Keys kSettingsKeys = {
    {L"language", {L"filepath"}},
    {L"turnoffmonitor", {L"hotkey"}},
    {L"hibernate", {L"hotkey"}},
    {L"snapshot", {L"hotkey", L"intofile", L"watermark_enable", L"watermark_path", L"watermark_pos",
                   L"watermark_alpha", L"path", L"name", L"next", L"format"}},
    {L"notifyicon", {L"hotkey", L"enable", L"list"}},
    {L"sizewindow", {L"enable", L"enlarge", L"shrink", L"extend_width", L"reduce_width",
                     L"extend_height", L"reduce_height", L"move_left", L"move_right", L"move_up",
                     L"move_down", L"sizearray"}},
    {L"hotkey", {L"babylon"}},
    {L"autoscroll", {L"distance", L"delta", L"mode"}},
    {L"transparent", {L"enable", L"minivalue"}},
    {L"mbutton", {L"code", L"except"}},
    {L"rollupwnd", {L"enable", L"animate", L"hotaction"}},
    {L"information", {L"enable"}},
    {L"topmost", {L"enable"}},
    {L"hidecursor", {L"enable"}},
    {L"changecursor", {L"enable"}},
    {L"disableime", {L"enable", L"classes"}},
    {L"directscroll", {L"enable", L"excluded_list"}},
    {L"dockwindow", {L"enable", L"dragfullwindow", L"dockmode"}},
    {L"icontaskbar", {L"enable"}},
    {L"bkcolor", {L"transp", L"red", L"green", L"blue"}},
    {L"TxColor", {L"red", L"green", L"blue"}},
    {L"autoclose", {L"enable", L"wndname", L"clsname"}},
    {L"simwinkey", {L"enable"}},
    {L"netaccounts", {L"count", L"atstart"}},
    {L"0", {L"remote", L"user", L"psw", L"state"}},
};

std::vector<std::pair<std::wstring, std::wstring>> LanguageKeys()
{
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    auto range = [&](const wchar_t* section, int first, int last) {
        for (int id = first; id <= last; ++id)
            keys.push_back({section, std::to_wstring(id)});
    };
    range(L"root", 1, 16);
    range(L"sysfunc", 96, 99);
    range(L"features", 256, 275);
    range(L"help", 128, 132);
    range(L"connection", 32, 34);
    for (const wchar_t* key : {L"ID_HOTKEY_ERROR_TITLE", L"ID_HOTKEY_ERROR_MESSAGE",
                               L"ID_HIBERNATE_ERROR_TITLE", L"ID_HIBERNATE_NOT_SUPPORT",
                               L"ID_HIBERNATE_NOT_READY", L"ID_HIBERNATE_ERROR_MESSAGE"})
        keys.push_back({L"error_message", key});
    keys.push_back({L"help_file", L"file"});
    for (const wchar_t* key : {L"IDD_DIALOG_ABOUT", L"IDC_STATIC_GROUP_QUORNVALE",
                               L"IDC_STATIC_GROUP_THANKS", L"IDC_STATIC_VERSION", L"IDC_STATIC_AUTHOR",
                               L"IDC_STATIC_HOMEPAGE", L"IDC_STATIC_FORUM"})
        keys.push_back({L"about_dialog", key});
    return keys;
}

std::wstring Text(const std::wstring& file, const std::wstring& section, const std::wstring& key)
{
    wchar_t value[512] = {};
    DWORD n = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"\x1<missing>", value, 512,
                                       file.c_str());
    return std::wstring(value, n);
}

std::wstring Shipped(const wchar_t* name) { return JoinPath(BinDir(), name); }

// Every menu entry of the root, features, system and help menus has the text
// of that language file.
void ExpectLanguageTexts(const MenuView& menu, const std::wstring& file)
{
    std::vector<MenuItemView> root = menu.Root();
    REQUIRE_EQ(root.size(), size_t(14));
    for (size_t i = 0; i < root.size(); ++i) {
        std::wstring expected = Text(file, L"root", std::to_wstring(3 + i));
        if (expected == L"-")
            CHECK(root[i].Separator());
        else
            CHECK_EQ(root[i].text, expected);
    }
    for (UINT id : {96u, 97u, 99u, 128u, 129u, 130u, 132u, 256u, 263u, 264u, 270u, 275u}) {
        const wchar_t* section = id < 128 ? L"sysfunc" : id < 256 ? L"help" : L"features";
        const MenuItemView* item = menu.Command(id);
        if (CHECK(item != nullptr))
            CHECK_EQ(item->text, Text(file, section, std::to_wstring(id)));
    }
}
}  // namespace

TEST(the_shipped_settings_hold_every_key)
{
    std::wstring settings = Shipped(L"settings.ini");
    REQUIRE(FileExists(settings));
    for (const auto& [section, keys] : kSettingsKeys)
        for (const wchar_t* key : keys)
            if (!CHECK(Text(settings, section, key) != L"\x1<missing>"))
                check::Note("[%ls] %ls", section, key);
    CHECK_EQ(Text(settings, L"language", L"filepath"), std::wstring(L"language\\English.ini"));
}

TEST(both_shipped_languages_hold_every_text)
{
    for (const wchar_t* name : {L"English.ini", L"Deutsch.ini"}) {
        std::wstring file = JoinPath(Shipped(L"language"), name);
        REQUIRE(FileExists(file));
        for (const auto& [section, key] : LanguageKeys()) {
            std::wstring text = Text(file, section, key);
            bool present = text != L"\x1<missing>" && !text.empty();
            bool menu_text = section != L"error_message" && section != L"help_file" &&
                             section != L"about_dialog";
            if (!CHECK(present) || (menu_text && !CHECK(text.size() <= 31)))
                check::Note("%ls [%ls] %ls", name, section.c_str(), key.c_str());
        }
        CHECK(Text(file, L"error_message", L"ID_HOTKEY_ERROR_MESSAGE").find(L"%s") != std::wstring::npos);
    }
    // The second language is really another one, with its own characters.
    CHECK_EQ(Text(JoinPath(Shipped(L"language"), L"Deutsch.ini"), L"help", L"132"),
             std::wstring(L"\x00DC" L"ber Quornvale"));
}

TEST(the_help_file_explains_every_setting)
{
    std::string help = ReadTextFile(Shipped(L"readme_en.txt"));
    REQUIRE(!help.empty());
    for (const auto& [section, keys] : kSettingsKeys)
        for (const wchar_t* key : keys) {
            std::string k = check::Narrow(key);
            if (std::wstring(section) == L"0")
                continue;  // the account keys are listed under [0] ... [9]
            if (!CHECK(help.find(k) != std::string::npos))
                check::Note("%s", k.c_str());
        }
    for (const char* words : {"ctrl+alt+s", "Roll up", "Auto-scroll", "Docking", "Minimize to tray",
                              "Window information", "Right Alt", "Left Alt + Left Ctrl + wheel",
                              "F6", "[0] ... [9]"})
        if (!CHECK(help.find(words) != std::string::npos))
            check::Note("%s", words);
}

TEST(the_program_runs_on_the_shipped_files_in_both_languages)
{
    ScopedReportedVersion xp(L"winxp");
    TrayShell shell;
    REQUIRE(shell.Start());
    std::string settings = ReadTextFile(Shipped(L"settings.ini"));
    ProgramOptions options;
    options.settings = settings.c_str();
    options.language_source = Shipped(L"language");
    Program program(L"shipped", options);
    REQUIRE(program.Start());
    MenuView menu;
    REQUIRE(ReadTrayMenu(program, &menu));
    std::wstring english = JoinPath(JoinPath(program.Dir(), L"language"), L"English.ini");
    std::wstring german = JoinPath(JoinPath(program.Dir(), L"language"), L"Deutsch.ini");
    ExpectLanguageTexts(menu, english);
    // Features switched on by default show so.
    for (UINT id : {256u, 261u, 262u, 263u, 264u, 265u})
        CHECK(menu.Command(id)->Checked());

    std::vector<MenuItemView> languages = menu.SubmenuNamed(Text(english, L"root", L"13"));
    REQUIRE_EQ(languages.size(), size_t(2));
    UINT german_id = languages[0].text == L"Deutsch" ? languages[0].id : languages[1].id;
    CHECK((languages[0].text == L"English") == languages[0].Checked());
    CHECK((languages[1].text == L"English") == languages[1].Checked());

    DWORD_PTR done = 0;
    SendMessageTimeoutW(program.MainWindow(), WM_COMMAND, german_id, 0, SMTO_NORMAL, 5000, &done);
    CHECK_EQ(Text(program.SettingsPath(), L"language", L"filepath"),
             std::wstring(L"language\\Deutsch.ini"));
    REQUIRE(ReadTrayMenu(program, &menu));
    ExpectLanguageTexts(menu, german);
    CHECK_EQ(program.Close(), 0);
}
