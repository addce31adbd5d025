#include "base/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

namespace {

double Scan(std::string text, std::size_t* left = nullptr) {
    std::string_view s = text;
    double d = -12345;
    EXPECT_TRUE(base::ScanDouble(s, d)) << text;
    if (left) *left = s.size();
    return d;
}

// Out of range is decided by the number's magnitude, not by how its exponent is spelt.
TEST(Numbers, TinyAndHugeDecimalsFollowOneRule) {
    const std::string zeros(340, '0');
    EXPECT_EQ(Scan("0." + zeros + "1"), 0.0);  // no exponent, still tiny
    EXPECT_EQ(Scan("-0." + zeros + "1"), 0.0);
    EXPECT_TRUE(std::signbit(Scan("-0." + zeros + "1")));
    EXPECT_EQ(Scan("1" + zeros), HUGE_VAL);  // no exponent, huge
    EXPECT_EQ(Scan("0.000001e-400"), 0.0);
    EXPECT_EQ(Scan("1" + zeros + "e-5"), HUGE_VAL);  // 1e335 though the exponent is negative
    EXPECT_EQ(Scan("0." + zeros + "1e5"), 0.0);      // 1e-336 though the exponent is positive
    EXPECT_EQ(Scan("1e-400"), 0.0);
    EXPECT_EQ(Scan("-1e400"), -HUGE_VAL);
    EXPECT_EQ(Scan("0x1p-2000"), 0.0);
    EXPECT_EQ(Scan("0x1p2000"), HUGE_VAL);
    float f = 1;
    std::string_view tiny = "0.000000000000000000000000000000000000000000000000001";
    ASSERT_TRUE(base::ScanFloat(tiny, f));
    EXPECT_EQ(f, 0.0f);
    std::string_view big = "3.5e38";
    ASSERT_TRUE(base::ScanFloat(big, f));
    EXPECT_EQ(f, HUGE_VALF);
    std::string_view largest = "3.40282356e38";  // rounds to the largest float, not beyond
    ASSERT_TRUE(base::ScanFloat(largest, f));
    EXPECT_EQ(f, std::numeric_limits<float>::max());
}

TEST(Numbers, ScanningTakesTheLongestNumberInEveryLocaleSpelling) {
    std::size_t left = 0;
    EXPECT_EQ(Scan("  -1.5e2xyz", &left), -150.0);
    EXPECT_EQ(left, 3u);
    EXPECT_EQ(Scan("+.5"), 0.5);
    EXPECT_EQ(Scan("5."), 5.0);
    EXPECT_EQ(Scan("1e", &left), 1.0);  // an exponent without digits is not part of it
    EXPECT_EQ(left, 1u);
    EXPECT_EQ(Scan("0x1.8p1"), 3.0);
    EXPECT_EQ(Scan("0x", &left), 0.0);  // "0", then the x
    EXPECT_EQ(left, 1u);
    EXPECT_EQ(Scan("-Infinity"), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(Scan("nan")));
    EXPECT_EQ(Scan("0.1"), 0.1);                                    // the fast path
    EXPECT_EQ(Scan("1234567890.123456789"), 1234567890.123456789);  // more digits: exact
    EXPECT_EQ(Scan("9007199254740993"), 9007199254740992.0);        // rounds to even
    for (const char* bad : {"", "  ", "-", "+-1", ".", "e5", "x1", "- 1"}) {
        std::string_view s = bad;
        double d = 7;
        EXPECT_FALSE(base::ScanDouble(s, d)) << bad;
        EXPECT_EQ(s, bad);  // nothing moved
        EXPECT_EQ(d, 7);
    }
    std::string_view decimal = "0x10";  // only decimals: "0" and an "x" left over
    double d = 0;
    ASSERT_TRUE(base::ScanDecimal(decimal, d));
    EXPECT_EQ(decimal, "x10");
}

TEST(Numbers, IntegersFailBeyondIntOrSaturate) {
    int i = 5;
    std::string_view s = " -2147483648 ";
    ASSERT_TRUE(base::ScanInt(s, i));
    EXPECT_EQ(i, std::numeric_limits<int>::min());
    EXPECT_EQ(s, " ");
    for (const char* beyond : {"2147483648", "-2147483649", "4294967296", "99999999999999999999"}) {
        std::string_view t = beyond;
        EXPECT_FALSE(base::ScanInt(t, i)) << beyond;
        EXPECT_EQ(t, beyond);
    }
    long long ll = 0;
    std::string_view huge = "123456789012345678901234567890/7";
    ASSERT_TRUE(base::ScanInteger(huge, ll));
    EXPECT_EQ(ll, base::kIntegerLimit);
    EXPECT_EQ(huge, "/7");
    std::string_view negative = "-99999999999999999999";
    ASSERT_TRUE(base::ScanInteger(negative, ll));
    EXPECT_EQ(ll, -base::kIntegerLimit);
}

TEST(Numbers, FormattingAndByteOrder) {
    std::string s;
    base::AppendFixed(s, 1.5, 9);
    s += ' ';
    base::AppendFixed(s, -0.0000004);
    s += ' ';
    base::AppendFixed(s, -std::numeric_limits<double>::infinity());
    s += ' ';
    base::AppendInt(s, -42);
    s += ' ';
    base::AppendShortest(s, 0.1f);
    s += ' ';
    base::AppendShortest(s, std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(s, "1.500000000 -0.000000 -inf -42 0.1 0");

    std::string bytes;
    base::AppendBE16(bytes, 0x0102);
    base::AppendBE32(bytes, 0x03040506);
    base::AppendBEFloat(bytes, 1.0f);
    EXPECT_EQ(bytes, std::string("\x01\x02\x03\x04\x05\x06\x3F\x80\x00\x00", 10));
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    EXPECT_EQ(base::LoadBE16(p), 0x0102);
    EXPECT_EQ(base::LoadBE32(p + 2), 0x03040506u);
    EXPECT_EQ(base::LoadBEFloat(p + 6), 1.0f);
    EXPECT_EQ(base::LoadLE16(p), 0x0201);
    EXPECT_EQ(base::LoadLE32(p + 2), 0x06050403u);
    const unsigned char one[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
    EXPECT_EQ(base::LoadLEDouble(one), 1.0);
    const unsigned char half[4] = {0, 0, 0, 0x3F};
    EXPECT_EQ(base::LoadLEFloat(half), 0.5f);
    EXPECT_TRUE(base::IsSpace('\v') && base::IsSpace('\r') && !base::IsSpace('\0'));
}

}  // namespace
