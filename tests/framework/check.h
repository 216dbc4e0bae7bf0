#pragma once
// The test framework of the test programs: doctest (Debian's doctest-dev,
// header only), with what these programs need on top.
//   TEST_CASE("name")        a test; CHECK, CHECK_EQ, CHECK_NE, REQUIRE,
//                            REQUIRE_EQ, ... return whether they held
//   MESSAGE(check::Format("%d ms", n))  a note printed under the test
// Each program prints one line per test and ends with "N passed, N failed"
// (tests/framework/check.cpp); "-tc=name" runs one test case.
//
// Assertions belong on the test's own thread: the framework's bookkeeping is
// built without locks (the win32 thread model has no std::mutex).  A helper
// thread records what it saw and the test checks it after join().
#include <windows.h>

#include <cstdio>
#include <string>
#include <type_traits>

#define DOCTEST_CONFIG_NO_MULTITHREADING
#define DOCTEST_CONFIG_ASSERTS_RETURN_VALUES
#include <doctest/doctest.h>

namespace check {
// Printable text of a wide string: ASCII kept, everything else as '?'.
std::string Narrow(const std::wstring& text);
// printf-style text for MESSAGE (C99 conversions, %zu and %lld included).
std::string Format(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// The comparisons copy both values first, as plain values: volatile fields
// of a shared block are read once, bit-fields and packed members compare at
// all, and a reference into a temporary (f().field, v()[i]) cannot dangle.
template <typename T>
std::decay_t<const T&> Value(const T& value) { return value; }
}  // namespace check

namespace doctest {
template <>
struct StringMaker<std::wstring> {
    static String convert(const std::wstring& value)
    {
        // Appended piece by piece: "x" + string + "x" makes GCC 12 warn
        // (-Wrestrict) about a copy that cannot overlap.
        std::string text(1, '"');
        text += ::check::Narrow(value);
        text += '"';
        return text.c_str();
    }
};
template <>
struct StringMaker<const wchar_t*> {
    static String convert(const wchar_t* value)
    {
        return value ? StringMaker<std::wstring>::convert(value) : String("null");
    }
};
template <>
struct StringMaker<wchar_t*> {
    static String convert(wchar_t* value) { return StringMaker<const wchar_t*>::convert(value); }
};
}  // namespace doctest

// CHECK and REQUIRE take any expression that converts to bool, as a plain
// condition (doctest's own would take apart `a == b` to show both values,
// but refuse `a && b` and comparisons of function pointers): the failure
// report shows the expression's text.  CHECK_EQ shows both values.
#define QV_CONDITION_ASSERT(assert_type, negate, ...)                                        \
    DOCTEST_FUNC_SCOPE_BEGIN {                                                              \
        doctest::detail::ResultBuilder DOCTEST_RB(doctest::assertType::assert_type, __FILE__, \
                                                  __LINE__, #__VA_ARGS__);                    \
        DOCTEST_WRAP_IN_TRY(DOCTEST_RB.setResult(                                            \
                doctest::detail::Result(negate static_cast<bool>(__VA_ARGS__))))             \
        DOCTEST_ASSERT_LOG_REACT_RETURN(DOCTEST_RB);                                         \
    } DOCTEST_FUNC_SCOPE_END
#undef CHECK
#undef REQUIRE
#undef CHECK_FALSE
#undef REQUIRE_FALSE
#define CHECK(...) QV_CONDITION_ASSERT(DT_CHECK, , __VA_ARGS__)
#define REQUIRE(...) QV_CONDITION_ASSERT(DT_REQUIRE, , __VA_ARGS__)
#define CHECK_FALSE(...) QV_CONDITION_ASSERT(DT_CHECK_FALSE, !, __VA_ARGS__)
#define REQUIRE_FALSE(...) QV_CONDITION_ASSERT(DT_REQUIRE_FALSE, !, __VA_ARGS__)

// doctest's comparisons bind references: these copy (see check::Value).
#undef CHECK_EQ
#undef CHECK_NE
#undef REQUIRE_EQ
#undef REQUIRE_NE
#define QV_COPY_BINARY_ASSERT(assert_type, comparison, actual, expected)                      \
    DOCTEST_FUNC_SCOPE_BEGIN {                                                              \
        doctest::detail::ResultBuilder DOCTEST_RB(doctest::assertType::assert_type, __FILE__, \
                                                  __LINE__, #actual ", " #expected);          \
        DOCTEST_WRAP_IN_TRY(                                                                 \
                DOCTEST_RB.binary_assert<doctest::detail::binaryAssertComparison::comparison>( \
                        ::check::Value(actual), ::check::Value(expected)))                   \
        DOCTEST_ASSERT_LOG_REACT_RETURN(DOCTEST_RB);                                         \
    } DOCTEST_FUNC_SCOPE_END
#define CHECK_EQ(actual, expected) QV_COPY_BINARY_ASSERT(DT_CHECK_EQ, eq, actual, expected)
#define CHECK_NE(actual, expected) QV_COPY_BINARY_ASSERT(DT_CHECK_NE, ne, actual, expected)
#define REQUIRE_EQ(actual, expected) QV_COPY_BINARY_ASSERT(DT_REQUIRE_EQ, eq, actual, expected)
#define REQUIRE_NE(actual, expected) QV_COPY_BINARY_ASSERT(DT_REQUIRE_NE, ne, actual, expected)
