#pragma once
// Quoting one argument for a Windows command line, so that the program
// started receives it as exactly one argument, unchanged, by the splitting
// rules of CommandLineToArgvW and of the C runtime's start-up code: a blank
// or tab ends an argument outside quotes, backslashes are literal unless they
// come before a double quote, where 2n backslashes give n and open or close
// the quotes, and 2n + 1 give n and a literal quote.
#include <string_view>

// Appends the argument to out (at most out_chars characters including the
// terminating 0, which is kept): as it is when it needs no quotes and
// `always` is false, else in double quotes with every quote and every run of
// backslashes before a quote (or before the closing quote) escaped.
// Returns the new length, or -1 when it does not fit (out is then unchanged).
int AppendQuotedArgument(wchar_t* out, int out_chars, int length, std::wstring_view argument,
                         bool always = false);
