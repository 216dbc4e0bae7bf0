#include "quornvale/tools/command_line_quote.h"

namespace {
bool NeedsQuotes(std::wstring_view argument)
{
    if (argument.empty())
        return true;
    for (wchar_t c : argument)
        if (c == L' ' || c == L'\t' || c == L'"' || c == L'\n' || c == L'\v')
            return true;
    return false;
}

// Writes into out from `at`; false when the text would not fit.
struct Writer {
    wchar_t* out;
    int chars;
    int at;
    bool ok = true;
    void Put(wchar_t c, int count = 1)
    {
        for (int i = 0; i < count && ok; ++i) {
            if (at + 1 >= chars) {
                ok = false;
                return;
            }
            out[at++] = c;
        }
    }
};
}  // namespace

int AppendQuotedArgument(wchar_t* out, int out_chars, int length, std::wstring_view argument, bool always)
{
    if (!out || out_chars <= 0 || length < 0 || length >= out_chars)
        return -1;
    Writer w{out, out_chars, length};
    if (!always && !NeedsQuotes(argument)) {
        for (wchar_t c : argument)
            w.Put(c);
    } else {
        w.Put(L'"');
        size_t i = 0;
        while (i < argument.size()) {
            int backslashes = 0;
            while (i < argument.size() && argument[i] == L'\\') {
                ++backslashes;
                ++i;
            }
            if (i == argument.size()) {
                // Before the closing quote: every backslash doubled.
                w.Put(L'\\', backslashes * 2);
                break;
            }
            if (argument[i] == L'"') {
                w.Put(L'\\', backslashes * 2 + 1);
                w.Put(L'"');
            } else {
                w.Put(L'\\', backslashes);
                w.Put(argument[i]);
            }
            ++i;
        }
        w.Put(L'"');
    }
    if (!w.ok) {
        out[length] = L'\0';
        return -1;
    }
    out[w.at] = L'\0';
    return w.at;
}
