#include "quornvale/tools/document_type.h"

namespace {
// Types that Windows runs as programs, or whose opening runs code: programs,
// scripts, installers, shortcuts, control panel items, registry and setup
// files.  Compared without regard to case.
constexpr std::wstring_view kProgramTypes[] = {
    L".exe", L".com", L".bat", L".cmd", L".scr", L".pif", L".lnk", L".url", L".scf",
    L".vbs", L".vbe", L".js", L".jse", L".wsf", L".wsh", L".ws", L".sct", L".hta",
    L".msi", L".msp", L".mst", L".cpl", L".reg", L".inf", L".ins", L".isp", L".msc",
    L".jar", L".ps1", L".shb", L".shs", L".job", L".application", L".gadget",
};

wchar_t AsciiLower(wchar_t c) { return c >= L'A' && c <= L'Z' ? wchar_t(c - L'A' + L'a') : c; }

// Extensions are compared without regard to the case of A to Z (every type
// listed is plain ASCII).
bool SameText(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AsciiLower(a[i]) != AsciiLower(b[i]))
            return false;
    return true;
}

bool InList(std::wstring_view extension, std::wstring_view list)
{
    while (!list.empty()) {
        const size_t end = list.find(L';');
        std::wstring_view item = list.substr(0, end);
        while (!item.empty() && item.front() == L' ')
            item.remove_prefix(1);
        while (!item.empty() && item.back() == L' ')
            item.remove_suffix(1);
        if (!item.empty() && SameText(item, extension))
            return true;
        if (end == std::wstring_view::npos)
            break;
        list.remove_prefix(end + 1);
    }
    return false;
}

// The open command's program is the file itself: "%1" or %1 (with %L and
// %0 the shell's other names for it) at its start.
bool RunsTheFileItself(std::wstring_view command)
{
    while (!command.empty() && command.front() == L' ')
        command.remove_prefix(1);
    if (!command.empty() && command.front() == L'"')
        command.remove_prefix(1);
    return command.size() >= 2 && command[0] == L'%' &&
           (command[1] == L'1' || command[1] == L'L' || command[1] == L'l' || command[1] == L'0');
}
}  // namespace

std::wstring_view FileExtension(std::wstring_view file)
{
    const size_t name = file.find_last_of(L"\\/:");
    std::wstring_view file_name = name == std::wstring_view::npos ? file : file.substr(name + 1);
    // Windows drops trailing dots and blanks from a file name: "run.bat." is run.bat.
    while (!file_name.empty() && (file_name.back() == L'.' || file_name.back() == L' '))
        file_name.remove_suffix(1);
    const size_t dot = file_name.rfind(L'.');
    if (dot == std::wstring_view::npos)
        return {};
    return file_name.substr(dot);
}

OpenTargetKind ClassifyOpenTarget(std::wstring_view file, const wchar_t* open_command, const wchar_t* path_ext)
{
    const std::wstring_view extension = FileExtension(file);
    if (extension.size() < 2)
        return OpenTargetKind::kNoType;
    for (std::wstring_view type : kProgramTypes)
        if (SameText(type, extension))
            return OpenTargetKind::kProgram;
    if (path_ext && InList(extension, path_ext))
        return OpenTargetKind::kProgram;
    if (open_command && RunsTheFileItself(open_command))
        return OpenTargetKind::kProgram;
    return OpenTargetKind::kDocument;
}
