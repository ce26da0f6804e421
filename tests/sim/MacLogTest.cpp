#include "sim/MacLog.h"

#include <gtest/gtest.h>
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

} // namespace
} // namespace pellamor::sim
