// doctest's runner for the test programs, with a short report of our own:
//   [ RUN  ] name
//       file.cpp:12: CHECK_EQ( a, b ) is NOT correct!  values: CHECK_EQ( 1, 2 )
//       note: text of a MESSAGE
//   [  OK  ] name (15 ms)    or    [ FAIL ] name (15 ms)
//   N passed, N failed
// tests/run-tests.sh reads the last line.  Arguments are doctest's own, for
// instance -tc="name" (one test case; * and ? match any text) or -ltc (list).
#define DOCTEST_CONFIG_IMPLEMENT
#include "tests/framework/check.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#include <sstream>

namespace check {
std::string Narrow(const std::wstring& text)
{
    std::string out;
    out.reserve(text.size());
    for (wchar_t c : text)
        out += (c >= 32 && c < 127) ? char(c) : '?';
    return out;
}

std::string Format(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int n = __mingw_vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return n < 0 ? std::string() : std::string(buffer);
}
}  // namespace check

namespace {
const char* BaseName(const char* file)
{
    const char* slash = strrchr(file, '/');
    const char* backslash = strrchr(file, '\\');
    const char* base = slash > backslash ? slash : backslash;
    return base ? base + 1 : file;
}

int g_passed = 0;
int g_failed = 0;

struct ShortReporter : doctest::IReporter {
    explicit ShortReporter(const doctest::ContextOptions&) {}

    void report_query(const doctest::QueryData& data) override
    {
        for (unsigned i = 0; i < data.num_data; ++i)
            printf("%s\n", data.data[i]->m_name);
        fflush(stdout);
    }
    void test_run_start() override {}
    void test_run_end(const doctest::TestRunStats&) override {}
    void test_case_start(const doctest::TestCaseData& test) override
    {
        failed_ = false;
        name_ = test.m_name;
        start_ = GetTickCount();
        printf("[ RUN  ] %s\n", test.m_name);
        fflush(stdout);
    }
    void test_case_reenter(const doctest::TestCaseData&) override {}
    void test_case_end(const doctest::CurrentTestCaseStats& stats) override
    {
        const bool failed = failed_ || stats.failure_flags != 0;
        (failed ? g_failed : g_passed)++;
        printf("[%s] %s (%lu ms)\n", failed ? " FAIL " : "  OK  ", name_,
               (unsigned long)(GetTickCount() - start_));
        fflush(stdout);
    }
    void test_case_exception(const doctest::TestCaseException& e) override
    {
        failed_ = true;
        printf("    %s: %s\n", e.is_crash ? "crashed" : "exception thrown", e.error_string.c_str());
        fflush(stdout);
    }
    void subcase_start(const doctest::SubcaseSignature&) override {}
    void subcase_end() override {}
    void log_assert(const doctest::AssertData& a) override
    {
        if (!a.m_failed)
            return;
        failed_ = true;
        printf("    %s:%d: %s( %s ) is NOT correct!", BaseName(a.m_file), a.m_line,
               doctest::assertString(a.m_at), a.m_expr);
        if (a.m_threw)
            printf("  threw: %s", a.m_exception.c_str());
        else if (a.m_decomp.size())
            printf("  values: %s( %s )", doctest::assertString(a.m_at), a.m_decomp.c_str());
        printf("\n");
        PrintContext();
        fflush(stdout);
    }
    void log_message(const doctest::MessageData& m) override
    {
        if (m.m_severity & doctest::assertType::is_warn) {
            printf("    note: %s\n", m.m_string.c_str());
        } else {
            failed_ = true;
            printf("    %s:%d: %s\n", BaseName(m.m_file), m.m_line, m.m_string.c_str());
            PrintContext();
        }
        fflush(stdout);
    }
    void test_case_skipped(const doctest::TestCaseData&) override {}

private:
    void PrintContext()
    {
        const int n = get_num_active_contexts();
        const doctest::IContextScope* const* scopes = get_active_contexts();
        for (int i = 0; i < n; ++i) {
            std::ostringstream out;
            scopes[i]->stringify(&out);
            printf("      with %s\n", out.str().c_str());
        }
    }

    bool failed_ = false;
    const char* name_ = "";
    DWORD start_ = 0;
};
}  // namespace

DOCTEST_REGISTER_REPORTER("short", 1, ShortReporter);

int main(int argc, char** argv)
{
    // A crash must end the test program, not open a dialog that hangs the run.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    doctest::Context context;
    context.setOption("reporters", "short");
    context.setOption("order-by", "file");  // the order of the file
    context.applyCommandLine(argc, argv);
    int result = context.run();
    if (context.shouldExit())
        return result;
    printf("%d passed, %d failed\n", g_passed, g_failed);
    fflush(stdout);
    return g_failed ? 1 : 0;
}
