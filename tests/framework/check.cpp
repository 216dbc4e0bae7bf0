#include "tests/framework/check.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <vector>

namespace check {
namespace {
struct Entry {
    const char* name;
    TestFn fn;
};
std::vector<Entry>& Registry()
{
    static std::vector<Entry> entries;
    return entries;
}
int g_failures_in_test = 0;
}  // namespace

Registrar::Registrar(const char* name, TestFn fn) { Registry().push_back({name, fn}); }

bool Report(bool ok, const char* file, int line, const std::string& what)
{
    if (!ok) {
        ++g_failures_in_test;
        const char* base = strrchr(file, '/');
        printf("    %s:%d: %s\n", base ? base + 1 : file, line, what.c_str());
        fflush(stdout);
    }
    return ok;
}

std::string Narrow(const std::wstring& text)
{
    std::string out;
    for (wchar_t c : text)
        out += (c >= 32 && c < 127) ? char(c) : '?';
    return out;
}
std::string Show(long long v) { return std::to_string(v); }
std::string Show(const std::wstring& v) { return "\"" + Narrow(v) + "\""; }
std::string Show(const wchar_t* v) { return v ? Show(std::wstring(v)) : "null"; }
std::string Show(const std::string& v) { return "\"" + v + "\""; }
std::string Show(const char* v) { return v ? Show(std::string(v)) : "null"; }

void Note(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    printf("    note: ");
    vprintf(format, args);
    printf("\n");
    va_end(args);
    fflush(stdout);
}
}  // namespace check

int main(int argc, char** argv)
{
    // A crash must end the test program, not open a dialog that hangs the run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    const char* only = argc > 1 ? argv[1] : nullptr;
    int passed = 0, failed = 0;
    for (const auto& entry : check::Registry()) {
        if (only && !strstr(entry.name, only))
            continue;
        check::g_failures_in_test = 0;
        printf("[ RUN  ] %s\n", entry.name);
        fflush(stdout);
        DWORD start = GetTickCount();
        entry.fn();
        DWORD took = GetTickCount() - start;
        if (check::g_failures_in_test == 0) {
            ++passed;
            printf("[  OK  ] %s (%lu ms)\n", entry.name, (unsigned long)took);
        } else {
            ++failed;
            printf("[ FAIL ] %s (%lu ms)\n", entry.name, (unsigned long)took);
        }
        fflush(stdout);
    }
    printf("%d passed, %d failed\n", passed, failed);
    fflush(stdout);
    return failed ? 1 : 0;
}
