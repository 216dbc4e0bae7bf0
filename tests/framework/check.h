#pragma once
// A small test framework for Windows console test programs run under Wine.
// Each program prints one line per test and ends with "N passed, N failed".
#include <windows.h>

#include <string>

namespace check {
using TestFn = void (*)();
struct Registrar {
    Registrar(const char* name, TestFn fn);
};
// Records a failure of the running test; returns the condition.
bool Report(bool ok, const char* file, int line, const std::string& what);
std::string Narrow(const std::wstring& text);
std::string Show(long long v);
std::string Show(const std::wstring& v);
std::string Show(const wchar_t* v);
std::string Show(const std::string& v);
std::string Show(const char* v);
template <typename T>
std::string Show(T* p) { char b[32]; snprintf(b, sizeof b, "%p", (void*)p); return b; }
inline std::string Show(bool v) { return v ? "true" : "false"; }
inline std::string Show(int v) { return Show((long long)v); }
inline std::string Show(long v) { return Show((long long)v); }
inline std::string Show(unsigned v) { return Show((long long)v); }
inline std::string Show(unsigned long v) { return Show((long long)v); }
inline std::string Show(unsigned long long v) { return Show((long long)v); }
inline std::string Show(short v) { return Show((long long)v); }
inline std::string Show(unsigned short v) { return Show((long long)v); }
// Free-form note printed under the current test (for measurements).
void Note(const char* format, ...);
}  // namespace check

#define QV_CAT2(a, b) a##b
#define QV_CAT(a, b) QV_CAT2(a, b)
#define TEST(name)                                                        \
    static void name();                                                   \
    static ::check::Registrar QV_CAT(registrar_, name)(#name, &name);     \
    static void name()

#define CHECK(cond) ::check::Report(bool(cond), __FILE__, __LINE__, "CHECK(" #cond ")")
#define CHECK_EQ(actual, expected)                                                        \
    [&] {                                                                                 \
        /* Copies: a reference into a temporary (f().field, v()[i]) would  */            \
        /* dangle once this statement ends.                                */            \
        const auto a_ = (actual);                                                         \
        const auto e_ = (expected);                                                       \
        bool ok_ = (a_ == e_);                                                            \
        return ::check::Report(ok_, __FILE__, __LINE__,                                   \
                               ok_ ? std::string()                                        \
                                   : std::string(#actual " == " #expected "  (actual ") + \
                                         ::check::Show(a_) + ", expected " +              \
                                         ::check::Show(e_) + ")");                        \
    }()
// Stops the running test when the condition fails.
#define REQUIRE(cond)   \
    do {                \
        if (!CHECK(cond)) \
            return;     \
    } while (0)
#define REQUIRE_EQ(actual, expected)       \
    do {                                   \
        if (!CHECK_EQ(actual, expected))   \
            return;                        \
    } while (0)
