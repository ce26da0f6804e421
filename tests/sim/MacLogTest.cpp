#include "sim/MacLog.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <gtest/gtest.h>
#include <limits>
#include <ostream>
#include <streambuf>

namespace pellamor::sim {
namespace {

// Records what each write hands over, as the pipe of standard error would receive it.
class Writes : public std::streambuf {
public:
    std::vector<std::string> chunks;

protected:
    std::streamsize xsputn(const char* data, std::streamsize size) override
    {
        chunks.emplace_back(data, static_cast<std::size_t>(size));
        return size;
    }
    int_type overflow(int_type c) override
    {
        if (!traits_type::eq_int_type(c, traits_type::eof()))
            chunks.emplace_back(1, traits_type::to_char_type(c));
        return c;
    }
};

TEST(MacLogTest, EachLineReachesTheStreamInOneWrite)
{
    Writes writes;
    std::ostream stream(&writes);
    MacLog log(&stream);
    log.keyPosted(18, 262144, true);
    log.currentSpace("11111111-1111-1111-1111-111111111111", 12);
    EXPECT_EQ(writes.chunks, (std::vector<std::string> { "mac: key-posted code=18 flags=262144 down=true\n",
                                 "mac: current-space display=11111111-1111-1111-1111-111111111111 space=12\n" }));
    EXPECT_EQ(log.lines().front(), "key-posted code=18 flags=262144 down=true");
}

// glibc prints a whole double's exact value with "%.0f".
std::string wholeValue(double value)
{
    char buffer[400];
    std::snprintf(buffer, sizeof buffer, "%.0f", value);
    return buffer;
}

TEST(MacLogTest, NumbersAreWrittenInFullAndReadBackAsTheSameDouble)
{
    const std::string huge = wholeValue(1e308);
    ASSERT_EQ(huge.size(), 309u);
    const std::string tiny = "0." + std::string(323, '0') + "5";
    const double largest = std::numeric_limits<double>::max();
    const std::vector<std::pair<double, std::string>> cases { { 1e308, huge }, { -1e308, "-" + huge },
        { largest, wholeValue(largest) }, { 5e-324, tiny }, { -5e-324, "-" + tiny }, { 0.1, "0.1" },
        { 1.0 / 3, "0.3333333333333333" }, { -2.5, "-2.5" }, { 1440, "1440" }, { -0.0, "0" },
        { 9007199254740994.0, "9007199254740994" }, { std::ldexp(1.0, 60), "1152921504606846976" },
        { 1e23, "99999999999999991611392" } };
    for (const auto& [value, text] : cases) {
        std::string written = formatNumber(value);
        EXPECT_EQ(written, text) << value;
        double read = 0;
        std::from_chars(written.data(), written.data() + written.size(), read);
        EXPECT_EQ(read, value) << written;
    }
    EXPECT_EQ(formatNumber(std::numeric_limits<double>::infinity()), "inf");
    EXPECT_EQ(formatNumber(-std::numeric_limits<double>::infinity()), "-inf");
    EXPECT_EQ(formatNumber(-std::numeric_limits<double>::quiet_NaN()), "nan");

    MacLog log(nullptr);
    log.windowFrame(7, QRectF(1e308, -0.5, 0.1, 5e-324));
    EXPECT_EQ(log.lines().back(), "window-frame window=7 frame=" + huge + ",-0.5,0.1," + tiny);
}

} // namespace
} // namespace pellamor::sim
