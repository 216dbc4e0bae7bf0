#include "quornvale/tools/document_open.h"

#include <shellapi.h>
#include <stdio.h>

#include "common/debug_print.h"
#include "quornvale/shell/app_state.h"
#include "quornvale/shell/program_path.h"
#include "quornvale/shell/tray_icon.h"
#include "quornvale/tools/document_type.h"

namespace {
constexpr int kCommandChars = 520;

void Refuse(const wchar_t* format, const wchar_t* name, DWORD code = 0)
{
    wchar_t text[256];
    _snwprintf(text, 255, format, name, code);
    text[255] = L'\0';
    DebugPrint(L"Help not opened: %s\n", text);
    ShowTrayBalloon(kDocumentBalloonTitle, text, kBalloonError);
}

// The default value of a key of HKEY_CLASSES_ROOT, or false.
bool ReadClassValue(const wchar_t* subkey, wchar_t* value, DWORD value_chars)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, subkey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return false;
    DWORD type = 0, bytes = (value_chars - 1) * sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    value[bytes / sizeof(wchar_t)] = L'\0';
    return true;
}

// The open command registered for the file's type ("" when none).
void OpenCommandOf(const wchar_t* extension, wchar_t* command, DWORD command_chars)
{
    command[0] = L'\0';
    wchar_t type[kPathChars], key[kPathChars + 32];
    if (!ReadClassValue(extension, type, kPathChars) || !type[0])
        return;
    _snwprintf(key, kPathChars + 31, L"%s\\shell\\open\\command", type);
    key[kPathChars + 31] = L'\0';
    if (!ReadClassValue(key, command, command_chars))
        command[0] = L'\0';
}
}  // namespace

bool OpenDocument(const wchar_t* path)
{
    wchar_t folder[kPathChars], file[kPathChars];
    if (GetModuleDirectory(nullptr, folder, kPathChars) == 0)
        folder[0] = L'\0';
    if (!ResolveInFolder(path, folder, file, kPathChars)) {
        Refuse(L"The help file \"%s\" cannot be found: the name is not a path beside the program.",
               path ? path : L"");
        return false;
    }
    const DWORD attributes = GetFileAttributesW(file);
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        Refuse(L"The help file %s is missing.", file);
        return false;
    }
    wchar_t extension[kPathChars] = L"";
    const std::wstring_view found = FileExtension(file);
    lstrcpynW(extension, found.data(), int(found.size() < kPathChars ? found.size() + 1 : kPathChars));
    wchar_t command[kCommandChars];
    OpenCommandOf(extension, command, kCommandChars);
    wchar_t path_ext[kPathChars] = L"";
    const DWORD path_ext_chars = GetEnvironmentVariableW(L"PATHEXT", path_ext, kPathChars);
    const OpenTargetKind kind =
        ClassifyOpenTarget(file, command, path_ext_chars > 0 && path_ext_chars < kPathChars ? path_ext : nullptr);
    if (kind != OpenTargetKind::kDocument) {
        Refuse(L"The help file %s is not opened: it is not a document (programs are never opened as help).", file);
        return false;
    }

    SHELLEXECUTEINFOW info = {};
    info.cbSize = sizeof(info);
    // No dialog of the shell's own: the reason goes into the balloon.
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = file;
    info.nShow = SW_SHOWNA;
    if (ShellExecuteExW(&info)) {
        DebugPrint(L"Help opened: %s\n", file);
        return true;
    }
    const DWORD error = GetLastError();
    const INT_PTR shell_code = reinterpret_cast<INT_PTR>(info.hInstApp);
    DebugPrint(L"ShellExecuteEx of %s failed, error %lu, code %d\n", file, error, int(shell_code));
    if (error == ERROR_NO_ASSOCIATION || shell_code == SE_ERR_NOASSOC)
        Refuse(L"No program is set to open the help file %s.", file);
    else if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        Refuse(L"The help file %s is missing.", file);
    else
        Refuse(L"The help file %s could not be opened, error %lu.", file, error);
    return false;
}
