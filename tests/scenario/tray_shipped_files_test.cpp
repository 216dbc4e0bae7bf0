// The files shipped beside the program: settings.ini with every key, two
// complete language files, and the help file; and the program running on
// them, in both languages.
#include <ctype.h>

#include <string>
#include <utility>
#include <vector>

#include "quornvale/shell/command_ids.h"
#include "quornvale/shell/settings_keys.h"
#include "tests/framework/check.h"
#include "tests/scenario/support/harness.h"
#include "tests/scenario/support/tray_view.h"

using namespace scenario;

namespace {
// One key of a settings file as written: its section, name and value.
struct IniKey {
    std::wstring section, key, value;
};

// The keys of an INI text in file order (comments and blank lines skipped).
std::vector<IniKey> ParseIni(const std::string& text)
{
    std::vector<IniKey> keys;
    std::wstring section;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        std::string line = text.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? text.size() : end + 1;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line[0] == '[') {
            section = std::wstring(line.begin() + 1, line.end() - (line.back() == ']' ? 1 : 0));
            continue;
        }
        size_t equals = line.find('=');
        if (equals != std::string::npos)
            keys.push_back({section, std::wstring(line.begin(), line.begin() + equals),
                            std::wstring(line.begin() + equals + 1, line.end())});
    }
    return keys;
}

// The section a table row names in the shipped file: account keys are shown
// for the first account.
const wchar_t* ShippedSection(const SettingKey& row) { return row.section ? row.section : L"0"; }

bool SameKey(const SettingKey& row, const IniKey& key)
{
    return lstrcmpiW(ShippedSection(row), key.section.c_str()) == 0 &&
           lstrcmpiW(row.key, key.key.c_str()) == 0;
}

std::vector<std::pair<std::wstring, std::wstring>> LanguageKeys()
{
    std::vector<std::pair<std::wstring, std::wstring>> keys;
    auto range = [&](const wchar_t* section, int first, int last) {
        for (int id = first; id <= last; ++id)
            keys.push_back({section, std::to_wstring(id)});
    };
    range(L"root", CmdRootFirst, CmdRootLast);
    range(L"sysfunc", CmdSystemFirst, CmdSystemLast);
    range(L"features", CmdFeaturesFirst, CmdFeaturesLast);
    range(L"help", CmdHelpFirst, CmdHelpLast);
    range(L"connection", CmdConnectionFirst, CmdConnectionLast);
    for (const wchar_t* key : {L"ID_HOTKEY_ERROR_TITLE", L"ID_HOTKEY_ERROR_MESSAGE",
                               L"ID_HIBERNATE_ERROR_TITLE", L"ID_HIBERNATE_NOT_SUPPORT",
                               L"ID_HIBERNATE_NOT_READY", L"ID_HIBERNATE_ERROR_MESSAGE"})
        keys.push_back({L"error_message", key});
    keys.push_back({L"help_file", L"file"});
    for (const wchar_t* key : {L"restart_now", L"accounts"})
        keys.push_back({L"settings_window", key});
    for (const wchar_t* key : {L"IDD_DIALOG_ABOUT", L"IDC_STATIC_GROUP_QUORNVALE",
                               L"IDC_STATIC_GROUP_THANKS", L"IDC_STATIC_VERSION", L"IDC_STATIC_AUTHOR",
                               L"IDC_STATIC_HOMEPAGE", L"IDC_STATIC_FORUM"})
        keys.push_back({L"about_dialog", key});
    for (const wchar_t* key : {L"ID_NO_TASKBAR_TITLE", L"ID_NO_TASKBAR_MESSAGE"})
        keys.push_back({L"tray", key});
    for (const wchar_t* key : {L"ID_WIN64_TITLE", L"ID_WIN64_MESSAGE"})
        keys.push_back({L"platform", key});
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

// The hotkeys of the shipped settings.ini, beside the entries of their
// functions; every other entry has none.
std::wstring ShippedHotkey(UINT id)
{
    switch (id) {
    case CmdSnapshot: return L"Ctrl+Alt+S";
    case CmdTurnOffMonitor: return L"Ctrl+Alt+M";
    default: return {};  // hibernate ships without one
    }
}

// Every menu entry of the root, features, system and help menus has the text
// of that language file, and the hotkey column its function's hotkey.
void ExpectLanguageTexts(const MenuView& menu, const std::wstring& file)
{
    std::vector<MenuItemView> root = menu.Root();
    REQUIRE_EQ(root.size(), size_t(14));
    for (size_t i = 0; i < root.size(); ++i) {
        const UINT id = UINT(CmdRootFirstWithoutAccounts + i);
        std::wstring expected = Text(file, L"root", std::to_wstring(id));
        if (expected == L"-") {
            CHECK(root[i].Separator());
            continue;
        }
        CHECK_EQ(root[i].Label(), expected);
        CHECK_EQ(root[i].Accelerator(), root[i].submenu ? std::wstring() : ShippedHotkey(id));
    }
    for (UINT id : {CmdLockWorkstation, CmdHibernate, CmdTurnOffMonitor, CmdHomePage, CmdHelpFile,
                    CmdOpenSettings, CmdAbout, CmdSettingsWindow, CmdRollUp, CmdTopmost, CmdHideCursor,
                    CmdSnapshotWatermark, CmdWindowInfo}) {
        const wchar_t* section = id < CmdHelpFirst ? L"sysfunc" : id < CmdFeaturesFirst ? L"help" : L"features";
        const MenuItemView* item = menu.Command(id);
        if (!CHECK(item != nullptr))
            continue;
        CHECK_EQ(item->Label(), Text(file, section, std::to_wstring(id)));
        CHECK_EQ(item->Accelerator(), ShippedHotkey(id));
    }
}
}  // namespace

TEST_CASE("the_shipped_settings_hold_every_key_of_the_table_and_no_other")
{
    std::wstring settings = Shipped(L"settings.ini");
    REQUIRE(FileExists(settings));
    const std::vector<IniKey> shipped = ParseIni(ReadTextFile(settings));
    for (const SettingKey& row : kSettingKeys) {
        size_t found = 0;
        const IniKey* key = nullptr;
        for (const IniKey& k : shipped)
            if (SameKey(row, k)) {
                ++found;
                key = &k;
            }
        if (!CHECK_EQ(found, size_t(1))) {
            MESSAGE(check::Format("[%ls] %ls", ShippedSection(row), row.key));
            continue;
        }
        // Integers ship with their default, switches as 0 or 1, texts fit
        // their buffers.
        const SettingBounds& b = row.bounds;
        bool fits = true;
        if (b.kind == SettingKind::kInteger)
            fits = key->value == std::to_wstring(b.default_value);
        else if (b.kind == SettingKind::kSwitch)
            fits = key->value == L"0" || key->value == L"1";
        else if (b.kind == SettingKind::kText)
            fits = int(key->value.size()) < b.chars;
        if (!CHECK(fits))
            MESSAGE(check::Format("[%ls] %ls=%ls", ShippedSection(row), row.key, key->value.c_str()));
    }
    for (const IniKey& k : shipped) {
        bool known = false;
        for (const SettingKey& row : kSettingKeys)
            known = known || SameKey(row, k);
        if (!CHECK(known))
            MESSAGE(check::Format("[%ls] %ls is in no row of the table", k.section.c_str(), k.key.c_str()));
    }
    CHECK_EQ(Text(settings, L"language", L"filepath"), std::wstring(L"language\\English.ini"));
}

TEST_CASE("both_shipped_languages_hold_every_text")
{
    for (const wchar_t* name : {L"English.ini", L"Deutsch.ini"}) {
        std::wstring file = JoinPath(Shipped(L"language"), name);
        REQUIRE(FileExists(file));
        for (const auto& [section, key] : LanguageKeys()) {
            std::wstring text = Text(file, section, key);
            bool present = text != L"\x1<missing>" && !text.empty();
            bool menu_text = section != L"error_message" && section != L"help_file" &&
                             section != L"about_dialog" && section != L"settings_window" &&
                             section != L"tray" && section != L"platform";
            if (!CHECK(present) || (menu_text && !CHECK(text.size() <= 31)))
                MESSAGE(check::Format("%ls [%ls] %ls", name, section.c_str(), key.c_str()));
        }
        CHECK(Text(file, L"error_message", L"ID_HOTKEY_ERROR_MESSAGE").find(L"%s") != std::wstring::npos);
    }
    // The second language is really another one, with its own characters.
    CHECK_EQ(Text(JoinPath(Shipped(L"language"), L"Deutsch.ini"), L"help", L"132"),
             std::wstring(L"\x00DC" L"ber Quornvale"));
}

namespace {
// The keys the help file's settings table explains, as "section/key": a
// section's name starts a line ("[rollupwnd]"), and its keys stand in the
// key column (from column 18) of that line and of the lines below it, one
// or several ("red, green, blue"), until the next section.  The accounts'
// "[0] ... [9]" is section "0".
std::vector<std::string> HelpTableKeys(const std::string& help)
{
    constexpr size_t kKeyColumn = 18;
    std::vector<std::string> keys;
    const size_t table = help.find("SETTINGS.INI\r\n---");
    const size_t table_alt = help.find("SETTINGS.INI\n---");
    size_t at = table != std::string::npos ? table : table_alt;
    if (at == std::string::npos)
        return keys;
    std::string section;
    while (at < help.size()) {
        size_t end = help.find('\n', at);
        std::string line = help.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? help.size() : end + 1;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() && !section.empty())
            break;  // the table ends with its first blank line
        if (!line.empty() && line[0] == '[') {
            const size_t close = line.find(']');
            section = line.substr(1, close == std::string::npos ? 0 : close - 1);
        }
        if (section.empty() || line.size() <= kKeyColumn || line[kKeyColumn] == ' ' ||
            line[kKeyColumn - 1] != ' ')
            continue;
        for (size_t p = kKeyColumn;;) {
            size_t q = p;
            while (q < line.size() && (isalnum(static_cast<unsigned char>(line[q])) || line[q] == '_'))
                ++q;
            if (q == p)
                break;
            keys.push_back(section + "/" + line.substr(p, q - p));
            if (line.compare(q, 2, ", ") != 0)
                break;
            p = q + 2;
        }
    }
    return keys;
}
}  // namespace

TEST_CASE("the_help_file_explains_every_setting")
{
    std::string help = ReadTextFile(Shipped(L"readme_en.txt"));
    REQUIRE(!help.empty());
    const std::vector<std::string> explained = HelpTableKeys(help);
    // Each row of the table once, under its own section, and nothing else.
    for (const SettingKey& row : kSettingKeys) {
        const std::string k = check::Narrow(ShippedSection(row)) + "/" + check::Narrow(row.key);
        size_t found = 0;
        for (const std::string& e : explained)
            found += lstrcmpiA(e.c_str(), k.c_str()) == 0;
        if (!CHECK_EQ(found, size_t(1)))
            MESSAGE(check::Format("%s", k.c_str()));
    }
    for (const std::string& e : explained) {
        bool known = false;
        for (const SettingKey& row : kSettingKeys)
            known = known || lstrcmpiA(e.c_str(), (check::Narrow(ShippedSection(row)) + "/" +
                                                   check::Narrow(row.key)).c_str()) == 0;
        if (!CHECK(known))
            MESSAGE(check::Format("%s is explained but in no row of the table", e.c_str()));
    }
    for (const char* words : {"ctrl+alt+s", "Roll up", "Auto-scroll", "Docking", "Minimize to tray",
                              "Window information", "Right Alt", "Left Alt + Left Ctrl + wheel",
                              "F6", "[0] ... [9]"})
        if (!CHECK(help.find(words) != std::string::npos))
            MESSAGE(check::Format("%s", words));
}

TEST_CASE("the_program_runs_on_the_shipped_files_in_both_languages")
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
    for (UINT id : {CmdRollUp, CmdTransparency, CmdNotifyIcon, CmdTopmost, CmdHideCursor, CmdDocking})
        CHECK(menu.Command(id)->Checked());

    std::vector<MenuItemView> languages = menu.SubmenuNamed(Text(english, L"root", std::to_wstring(CmdLanguagesMenu)));
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
