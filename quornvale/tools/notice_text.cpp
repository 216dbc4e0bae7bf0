#include "quornvale/tools/notice_text.h"

namespace {
bool IsConversionLetter(wchar_t c)
{
    return std::wstring_view(L"sSdiuxXcpeEfgG").find(c) != std::wstring_view::npos;
}

bool IsConversionPrefix(wchar_t c)
{
    return std::wstring_view(L"-+ #0123456789.lhIwL").find(c) != std::wstring_view::npos;
}

class Writer {
public:
    Writer(wchar_t* out, int chars) : out_(out), room_(chars > 0 ? size_t(chars) - 1 : 0) {}
    void Put(std::wstring_view text)
    {
        for (wchar_t c : text)
            if (length_ < room_)
                out_[length_++] = c;
    }
    int Finish()
    {
        if (out_ && room_ + 1 > 0)
            out_[length_] = L'\0';
        return int(length_);
    }

private:
    wchar_t* out_;
    size_t room_;
    size_t length_ = 0;
};
}  // namespace

int FormatNoticeText(std::wstring_view format, std::wstring_view value, wchar_t* out, int out_chars)
{
    if (!out || out_chars <= 0)
        return 0;
    if (const size_t end = format.find(L'\0'); end != std::wstring_view::npos)
        format.remove_suffix(format.size() - end);
    Writer writer(out, out_chars);
    bool value_used = false;
    size_t i = 0;
    while (i < format.size()) {
        if (format[i] != L'%') {
            writer.Put(std::wstring_view(format.data() + i, 1));
            ++i;
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == L'%') {
            writer.Put(L"%");
            i += 2;
            continue;
        }
        size_t end = i + 1;
        while (end < format.size() && IsConversionPrefix(format[end]))
            ++end;
        if (!value_used && end < format.size() && IsConversionLetter(format[end])) {
            writer.Put(value);
            value_used = true;
            i = end + 1;
            continue;
        }
        writer.Put(std::wstring_view(format.data() + i, 1));
        ++i;
    }
    return writer.Finish();
}
