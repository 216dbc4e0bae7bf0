#include "quornvale/tools/net_use_command.h"

#include <string_view>

#include "quornvale/tools/command_line_quote.h"

namespace {
bool HasControlCharacter(std::wstring_view text)
{
    for (wchar_t c : text)
        if (c < 0x20 || c == 0x7F)
            return true;
    return false;
}

// A host name, a NetBIOS name or an IPv4 or IPv6 address: no blank, quote,
// slash or backslash (which would name another share or start a switch), not
// empty and not beginning with "-" or "/".
bool IsPlainHost(std::wstring_view remote)
{
    if (remote.empty() || remote[0] == L'-' || HasControlCharacter(remote))
        return false;
    for (wchar_t c : remote)
        if (c == L' ' || c == L'\t' || c == L'"' || c == L'\\' || c == L'/' || c == L'*' || c == L'?')
            return false;
    return true;
}

bool Append(wchar_t* out, int out_chars, int* length, std::wstring_view text)
{
    for (wchar_t c : text) {
        if (*length + 1 >= out_chars)
            return false;
        out[(*length)++] = c;
    }
    out[*length] = L'\0';
    return true;
}

bool AppendQuoted(wchar_t* out, int out_chars, int* length, std::wstring_view text, bool always)
{
    int n = AppendQuotedArgument(out, out_chars, *length, text, always);
    if (n < 0)
        return false;
    *length = n;
    return true;
}
}  // namespace

NetUseBuild BuildNetUseLine(NetUseCommand command, const wchar_t* remote, const wchar_t* user,
                            const wchar_t* password, wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0)
        return NetUseBuild::TooLong;
    out[0] = L'\0';
    const std::wstring_view host = remote ? remote : L"";
    const std::wstring_view name = user ? user : L"";
    const std::wstring_view secret = password ? password : L"";
    if (!IsPlainHost(host))
        return NetUseBuild::BadRemote;
    if (command == NetUseCommand::Connect) {
        if (HasControlCharacter(name))
            return NetUseBuild::BadUser;
        // net.exe reads an argument that begins with "/" as a switch however
        // it was quoted, and "*" as the request to prompt for the password.
        if (HasControlCharacter(secret) || (!secret.empty() && secret[0] == L'/') || secret == L"*")
            return NetUseBuild::BadPassword;
    }
    int length = 0;
    bool ok = Append(out, out_chars, &length, L" use \\\\") && Append(out, out_chars, &length, host);
    if (command == NetUseCommand::Disconnect) {
        ok = ok && Append(out, out_chars, &length, L" /delete");
    } else {
        wchar_t user_argument[kNetUseLineChars];
        int user_length = 0;
        user_argument[0] = L'\0';
        ok = ok && Append(user_argument, kNetUseLineChars, &user_length, L"/USER:") &&
             Append(user_argument, kNetUseLineChars, &user_length, name) && Append(out, out_chars, &length, L"\\IPC$ ") &&
             AppendQuoted(out, out_chars, &length, secret, true) && Append(out, out_chars, &length, L" ") &&
             AppendQuoted(out, out_chars, &length, std::wstring_view(user_argument, user_length), false);
    }
    if (!ok) {
        out[0] = L'\0';
        return NetUseBuild::TooLong;
    }
    return NetUseBuild::Ok;
}

const wchar_t* NetUseBuildText(NetUseBuild result)
{
    switch (result) {
    case NetUseBuild::Ok: return L"";
    case NetUseBuild::BadRemote: return L"The remote name is not a plain host name; nothing was run.";
    case NetUseBuild::BadUser: return L"The user name holds a control character; nothing was run.";
    case NetUseBuild::BadPassword:
        return L"The password holds a control character, begins with \"/\" or is \"*\"; nothing was run.";
    case NetUseBuild::TooLong: return L"The account's texts are too long for net.exe; nothing was run.";
    }
    return L"";
}
