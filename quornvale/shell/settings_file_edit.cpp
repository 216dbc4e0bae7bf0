#include "quornvale/shell/settings_file_edit.h"

#include <new>
#include <vector>

#include "common/debug_print.h"

namespace {
template <class Char>
using View = std::basic_string_view<Char>;

template <class Char>
Char Lower(Char c)
{
    return (c >= Char('A') && c <= Char('Z')) ? Char(c - Char('A') + Char('a')) : c;
}

template <class Char>
bool SameName(View<Char> a, View<Char> b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Lower(a[i]) != Lower(b[i]))
            return false;
    return true;
}

template <class Char>
bool IsBlank(Char c)
{
    return c == Char(' ') || c == Char('\t');
}

template <class Char>
View<Char> Trim(View<Char> text)
{
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

template <class Char>
bool HasAny(View<Char> text, std::initializer_list<Char> chars)
{
    for (Char c : text)
        for (Char bad : chars)
            if (c == bad)
                return true;
    return false;
}

// One line of the file: [begin, content_end) without its line break,
// [content_end, end) the break itself (empty on a last line without one).
struct Line {
    size_t begin, content_end, end;
};

template <class Char>
std::vector<Line> SplitLines(View<Char> text)
{
    std::vector<Line> lines;
    size_t at = 0;
    while (at < text.size()) {
        size_t stop = at;
        while (stop < text.size() && text[stop] != Char('\r') && text[stop] != Char('\n'))
            ++stop;
        size_t end = stop;
        if (end < text.size() && text[end] == Char('\r'))
            ++end;
        if (end < text.size() && text[end] == Char('\n') && (end == stop || text[end - 1] == Char('\r')))
            ++end;
        lines.push_back({at, stop, end});
        at = end;
    }
    return lines;
}

// The section a header line names, or false for any other line.
template <class Char>
bool SectionOf(View<Char> line, View<Char>* name)
{
    line = Trim(line);
    if (line.empty() || line.front() != Char('['))
        return false;
    const size_t close = line.find(Char(']'));
    *name = Trim(close == View<Char>::npos ? line.substr(1) : line.substr(1, close - 1));
    return true;
}

// The key of a "key=value" line (not a comment), and where its "=" is.
template <class Char>
bool KeyOf(View<Char> line, View<Char>* key, size_t* equals)
{
    const View<Char> trimmed = Trim(line);
    if (trimmed.empty() || trimmed.front() == Char(';'))
        return false;
    *equals = line.find(Char('='));
    if (*equals == View<Char>::npos)
        return false;
    *key = Trim(line.substr(0, *equals));
    return true;
}
}  // namespace

template <class Char>
bool EditIniText(std::basic_string<Char>* text, const IniEdit<Char>& edit)
{
    if (edit.section.empty() || edit.key.empty() || HasAny(edit.section, {Char('\r'), Char('\n'), Char(']')}) ||
        HasAny(edit.key, {Char('\r'), Char('\n'), Char('='), Char('[')}) || HasAny(edit.value, {Char('\r'), Char('\n')}) ||
        Trim(edit.key) != edit.key || Trim(edit.section) != edit.section || edit.key.front() == Char(';'))
        return false;
    const View<Char> whole(*text);
    const std::vector<Line> lines = SplitLines(whole);
    View<Char> line_break;
    for (const Line& line : lines)
        if (line.end > line.content_end) {
            line_break = whole.substr(line.content_end, line.end - line.content_end);
            break;
        }
    static constexpr Char kCrLf[] = {Char('\r'), Char('\n'), Char(0)};
    if (line_break.empty())
        line_break = kCrLf;

    bool in_section = false, section_found = false;
    size_t insert_at = 0;  // after the section's last key, or its header
    for (const Line& line : lines) {
        const View<Char> content = whole.substr(line.begin, line.content_end - line.begin);
        View<Char> name;
        if (SectionOf(content, &name)) {
            if (section_found)
                break;  // only the first section of that name is read
            in_section = SameName(name, edit.section);
            if (in_section) {
                section_found = true;
                insert_at = line.end;
            }
            continue;
        }
        if (!in_section)
            continue;
        size_t equals = 0;
        if (!KeyOf(content, &name, &equals))
            continue;
        if (!SameName(name, edit.key)) {
            insert_at = line.end;
            continue;
        }
        // Keep the name, the "=" and the blanks after it.
        size_t value_at = equals + 1;
        while (value_at < content.size() && IsBlank(content[value_at]))
            ++value_at;
        text->replace(line.begin + value_at, content.size() - value_at, edit.value.data(), edit.value.size());
        return true;
    }

    std::basic_string<Char> added;
    if (!section_found) {
        // A last line without its break gets one; a blank line sets the
        // new section apart from the one before.
        if (!text->empty()) {
            if (text->back() != Char('\n') && text->back() != Char('\r'))
                added += line_break;
            added += line_break;
        }
        added += Char('[');
        added += edit.section;
        added += Char(']');
        added += line_break;
        insert_at = text->size();
    } else if (insert_at == text->size() && !text->empty() && text->back() != Char('\n') &&
               text->back() != Char('\r')) {
        added += line_break;
    }
    added += edit.key;
    added += Char('=');
    added += edit.value;
    added += line_break;
    text->insert(insert_at, added);
    return true;
}

template bool EditIniText<char>(std::string*, const IniEdit<char>&);
template bool EditIniText<wchar_t>(std::wstring*, const IniEdit<wchar_t>&);

namespace {
constexpr DWORD kMaxSettingsBytes = 16 * 1024 * 1024;

bool ReadWholeFile(const wchar_t* path, std::string* bytes)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND)
            return true;  // made by the write
        DebugPrint(L"%s not opened for reading, error %lu\n", path, error);
        return false;
    }
    const DWORD size = GetFileSize(file, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxSettingsBytes;
    if (ok) {
        bytes->resize(size);
        DWORD read = 0;
        ok = ReadFile(file, bytes->data(), size, &read, nullptr) && read == size;
    }
    if (!ok)
        DebugPrint(L"%s not read, error %lu\n", path, GetLastError());
    CloseHandle(file);
    return ok;
}

bool WriteWholeFile(const wchar_t* path, const std::string& bytes)
{
    std::wstring fresh(path);
    fresh += L".new";
    HANDLE file = CreateFileW(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DebugPrint(L"%s not made, error %lu\n", fresh.c_str(), GetLastError());
        return false;
    }
    DWORD written = 0;
    bool ok = WriteFile(file, bytes.data(), DWORD(bytes.size()), &written, nullptr) && written == bytes.size();
    if (!ok)
        DebugPrint(L"%s not written, error %lu\n", fresh.c_str(), GetLastError());
    CloseHandle(file);
    // A read-only settings.ini is not replaced: MoveFileEx refuses it.
    const DWORD attributes = GetFileAttributesW(path);
    if (ok && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        DebugPrint(L"%s is read-only: not replaced\n", path);
        ok = false;
    } else if (ok && !MoveFileExW(fresh.c_str(), path, MOVEFILE_REPLACE_EXISTING)) {
        DebugPrint(L"%s not replaced, error %lu\n", path, GetLastError());
        ok = false;
    }
    if (!ok)
        DeleteFileW(fresh.c_str());
    return ok;
}

std::string Ansi(std::wstring_view text)
{
    if (text.empty())
        return {};
    const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), out.data(), bytes, nullptr, nullptr);
    return out;
}
}  // namespace

bool WriteIniEdits(const wchar_t* path, const IniEdit<wchar_t>* edits, int count)
{
    if (!path || !path[0])
        return false;
    std::string bytes;
    if (!ReadWholeFile(path, &bytes))
        return false;
    const bool utf16 = bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
                       static_cast<unsigned char>(bytes[1]) == 0xFE;
    if (utf16) {
        std::wstring text((bytes.size() - 2) / 2, L'\0');
        memcpy(text.data(), bytes.data() + 2, text.size() * sizeof(wchar_t));
        for (int i = 0; i < count; ++i)
            if (!EditIniText(&text, edits[i])) {
                DebugPrint(L"[%.*s] %.*s refused: not written\n", int(edits[i].section.size()),
                           edits[i].section.data(), int(edits[i].key.size()), edits[i].key.data());
                return false;
            }
        bytes.assign("\xFF\xFE", 2);
        bytes.append(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
    } else {
        for (int i = 0; i < count; ++i) {
            const std::string section = Ansi(edits[i].section), key = Ansi(edits[i].key),
                              value = Ansi(edits[i].value);
            if (!EditIniText(&bytes, IniEdit<char>{section, key, value})) {
                DebugPrint(L"[%.*s] %.*s refused: not written\n", int(edits[i].section.size()),
                           edits[i].section.data(), int(edits[i].key.size()), edits[i].key.data());
                return false;
            }
        }
    }
    return WriteWholeFile(path, bytes);
}
