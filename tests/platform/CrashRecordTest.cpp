#include "platform/CrashRecord.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

const std::string valid = "pellamor-crash 1\nkind signal\nsignal 11\ncode -1\naddress 7f00\nthread main\n"
                          "frame 55d0\nframe 7f01\nmodule 55d0 1000 /usr/bin/Mon App\nend\n";

TEST(CrashRecordTest, ReadsWhatTheHandlerWritesAndWritesItBack)
{
    std::optional<CrashRecord> record = CrashRecord::parse(valid);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->signal, 11);
    EXPECT_EQ(record->code, -1);
    EXPECT_EQ(record->address, 0x7f00u);
    EXPECT_EQ(record->frames, (std::vector<std::uint64_t> { 0x55d0, 0x7f01 }));
    EXPECT_EQ(record->modules, (std::vector<CrashModule> { { 0x55d0, 0x1000, "/usr/bin/Mon App" } }));
    EXPECT_EQ(record->text(), valid);
    auto terminate = CrashRecord::parse(
        "pellamor-crash 1\nkind terminate\nsignal 6\ncode 0\naddress 0\nexception St13runtime_error\nend\n");
    ASSERT_TRUE(terminate);
    EXPECT_EQ(terminate->exceptionType, "St13runtime_error");
    terminate->address = 0xffffffffffffffff;
    EXPECT_NE(terminate->text().find("\naddress ffffffffffffffff\n"), std::string::npos);
}

TEST(CrashRecordTest, AnythingElseIsRefused)
{
    auto replaced = [](const std::string& from, const std::string& to) {
        std::string text = valid;
        text.replace(text.find(from), from.size(), to);
        return CrashRecord::parse(text);
    };
    EXPECT_FALSE(replaced("pellamor-crash 1", "pellamor-crash 2"));
    EXPECT_FALSE(replaced("kind signal", "kind other"));
    EXPECT_FALSE(replaced("signal 11", "signal 65"));
    EXPECT_FALSE(replaced("signal 11", "signal 0"));
    EXPECT_TRUE(replaced("signal 11", "signal 1")) << "signal numbers run from 1 to 64";
    EXPECT_TRUE(replaced("signal 11", "signal 64"));
    EXPECT_FALSE(replaced("signal 11", "signal +11"));
    EXPECT_FALSE(replaced("address 7f00", "address 7g00"));
    EXPECT_FALSE(replaced("address 7f00", "address 1ffffffffffffffff"));
    EXPECT_FALSE(replaced("address 7f00", "address " + std::string(17, '0') + "7f00")) << "no more than 20 digits";
    EXPECT_TRUE(replaced("address 7f00", "address " + std::string(16, '0') + "7f00"));
    EXPECT_FALSE(replaced("code -1", "code "));
    EXPECT_FALSE(replaced("frame 55d0\n", "frame 55d0 \n"));
    EXPECT_FALSE(replaced("thread main\n", "thread ma\x01in\n"));
    EXPECT_FALSE(replaced("thread main\n", "thread \xc3(\n"));
    EXPECT_FALSE(replaced("module 55d0 1000 /usr/bin/Mon App\n", "module 55d0 /usr/bin/x\n"));
    // Out of order, unfinished, or followed by anything.
    EXPECT_FALSE(replaced("frame 55d0\nframe 7f01\nmodule 55d0 1000 /usr/bin/Mon App\n",
        "module 55d0 1000 /usr/bin/Mon App\nframe 55d0\n"));
    EXPECT_FALSE(CrashRecord::parse(valid.substr(0, valid.size() - 4)));
    EXPECT_FALSE(CrashRecord::parse(valid + "x"));
    EXPECT_FALSE(CrashRecord::parse(valid.substr(0, valid.size() - 1)));
    std::string many = "pellamor-crash 1\nkind signal\nsignal 11\ncode 0\naddress 0\n";
    for (std::size_t i = 0; i <= CrashRecord::maximumFrames; ++i)
        many += "frame 1\n";
    EXPECT_FALSE(CrashRecord::parse(many + "end\n"));
}

TEST(CrashRecordTest, SixtyFourKibibytesAreReadAndOneByteMoreIsNot)
{
    // Module lines of long paths fill the record up to the byte.
    auto sized = [](std::size_t bytes) {
        std::string head = "pellamor-crash 1\nkind signal\nsignal 11\ncode 0\naddress 0\n";
        std::string text = head;
        const std::string line = "module 1 1 /" + std::string(2047, 'a') + "\n";
        while (text.size() + line.size() + 100 <= bytes)
            text += line;
        std::size_t rest = bytes - text.size() - std::string("module 1 1 /\nend\n").size();
        text += "module 1 1 /" + std::string(rest, 'b') + "\nend\n";
        return text;
    };
    std::string exact = sized(CrashRecord::maximumBytes);
    ASSERT_EQ(exact.size(), CrashRecord::maximumBytes);
    std::optional<CrashRecord> record = CrashRecord::parse(exact);
    ASSERT_TRUE(record);
    EXPECT_EQ(record->text(), exact);
    std::string over = sized(CrashRecord::maximumBytes + 1);
    ASSERT_EQ(over.size(), CrashRecord::maximumBytes + 1);
    EXPECT_FALSE(CrashRecord::parse(over));
}

} // namespace
} // namespace pellamor
