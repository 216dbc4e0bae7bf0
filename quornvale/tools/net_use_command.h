#pragma once
// The command lines given to net.exe for one network account, built from the
// account's texts so that each text reaches net.exe as one argument of its
// own: no value can add a switch, a second share or a second command.
#include <windows.h>

enum class NetUseCommand { Connect, Disconnect };

enum class NetUseBuild {
    Ok,
    BadRemote,    // empty, or not a plain host name or address
    BadUser,      // holds a control character
    BadPassword,  // holds a control character, starts with "/" or is "*"
    TooLong,      // the line would not fit the buffer
};

// The buffer the lines are built in.
constexpr int kNetUseLineChars = 1024;

// Connect:    " use \\REMOTE\IPC$ "PASSWORD" /USER:USER"
// Disconnect: " use \\REMOTE /delete"
// The password is always quoted, the user's argument only when it needs
// quotes; quotes and backslashes inside are escaped.  Nothing is cut: a value
// that cannot be passed as it is gives an error and an empty line.
NetUseBuild BuildNetUseLine(NetUseCommand command, const wchar_t* remote, const wchar_t* user,
                            const wchar_t* password, wchar_t* out, int out_chars);

// A short text for the balloon of a refused account.
const wchar_t* NetUseBuildText(NetUseBuild result);
