#include "platform/PropertyList.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace pellamor {
namespace {

std::string xml(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">" + body + "</plist>";
}

// Objects as encoded bytes, one-byte references and offsets, then the table and the trailer.
std::string binary(const std::vector<std::string>& objects, std::uint8_t top = 0)
{
    std::string out = "bplist00";
    std::string table;
    for (auto& object : objects) {
        table += char(out.size());
        out += object;
    }
    auto tableOffset = out.size();
    out += table;
    std::string trailer(6, '\0');
    trailer += '\0';
    trailer += char(1);
    trailer += char(1);
    auto be64 = [](std::uint64_t v) {
        std::string s;
        for (int i = 7; i >= 0; --i)
            s += char(v >> (8 * i));
        return s;
    };
    return out + trailer + be64(objects.size()) + be64(top) + be64(tableOffset);
}

TEST(XMLPropertyListTest, KeepsEveryTypeApartThroughAWriteAndARead)
{
    PlistDictionary nested { { "empty", PlistArray {} }, { "none", PlistDictionary {} } };
    PlistDictionary root {
        { "bool", true },
        { "int", -42 },
        { "big", std::uint64_t(18446744073709551615ull) },
        { "real", 2.5 },
        { "whole real", 3.0 },
        { "text", "a < b & \"c\"\r\nd é 😀" },
        { "data", PlistData { 0, 1, 2, 255 } },
        { "date", PlistDate { 1714566600 } },
        { "list", PlistArray { 1, "two", false } },
        { "nested", nested },
    };
    auto text = writeXMLPropertyList(root);
    ASSERT_TRUE(text);
    auto back = parseXMLPropertyList(*text);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, PlistValue(root));
    EXPECT_EQ(back->find("whole real")->type(), PlistValue::Type::real);
    EXPECT_EQ(back->find("int")->type(), PlistValue::Type::integer);
    EXPECT_EQ(back->find("big")->type(), PlistValue::Type::unsignedInteger);
    EXPECT_NE(text->find("<date>2024-05-01T12:30:00Z</date>"), std::string::npos);
}

TEST(XMLPropertyListTest, ReadsWhatOtherWritersProduce)
{
    auto value = parseXMLPropertyList(xml("<!-- c --><dict>\n\t<key>a</key>\n\t<integer> 0x1F </integer>"
                                          "<key>b</key><real>-infinity</real><key>c</key><data>AAEC\n AwQ=</data>"
                                          "<key>d</key><string><![CDATA[<x>]]> &#233;</string><key>e</key><true/>"
                                          "</dict>"));
    ASSERT_TRUE(value);
    EXPECT_EQ(*value->find("a")->asInteger(), 31);
    EXPECT_TRUE(std::isinf(*value->find("b")->asReal()));
    EXPECT_EQ(*value->find("c")->asData(), (PlistData { 0, 1, 2, 3, 4 }));
    EXPECT_EQ(*value->find("d")->asString(), "<x> é");
    EXPECT_EQ(*value->find("e")->asBool(), true);
}

TEST(XMLPropertyListTest, RefusesMalformedDocumentsWhole)
{
    const char* bodies[] = {
        "<dict><key>a</key></dict>", // key without value
        "<dict><string>x</string></dict>", // value without key
        "<dict><key>a</key><true/><key>a</key><false/></dict>", // duplicate key
        "<integer>12a</integer>",
        "<integer>99999999999999999999</integer>",
        "<integer>-9223372036854775809</integer>",
        "<real>1e999</real>",
        "<real></real>",
        "<date>2024-02-30T00:00:00Z</date>",
        "<data>!!</data>",
        "<true>x</true>",
        "<string>a<b/></string>",
        "<unknown/>",
        "<array><string>a</string>",
        "<string>&undefined;</string>",
        "<array/><array/>",
        "",
        "text<array/>",
    };
    for (auto body : bodies)
        EXPECT_FALSE(parseXMLPropertyList(xml(body))) << body;
    EXPECT_FALSE(parseXMLPropertyList("<plist><string>\xC3</string></plist>"));
    EXPECT_FALSE(parseXMLPropertyList("<notplist><true/></notplist>"));
    EXPECT_FALSE(parseXMLPropertyList(xml("<true/>") + "<extra/>"));
    EXPECT_FALSE(parseXMLPropertyList(xml("<true/>").substr(0, 40)));
}

TEST(XMLPropertyListTest, BoundsNestingBothWays)
{
    std::string deep;
    for (int i = 0; i < 10000; ++i)
        deep += "<array>";
    EXPECT_FALSE(parseXMLPropertyList(xml(deep)));
    PlistValue value = PlistArray {};
    for (int i = 0; i < maxPropertyListDepth + 2; ++i)
        value = PlistArray { value };
    EXPECT_FALSE(writeXMLPropertyList(value));
}

TEST(XMLPropertyListTest, WriterRefusesWhatXMLCannotCarry)
{
    EXPECT_FALSE(writeXMLPropertyList(PlistDictionary { { "a", "bell\a" } }));
    EXPECT_FALSE(writeXMLPropertyList(PlistDictionary { { "\xFF", 1 } }));
    EXPECT_FALSE(writeXMLPropertyList(PlistDate { 1e15 }));
    auto special = writeXMLPropertyList(PlistArray { std::numeric_limits<double>::quiet_NaN(), -0.0, 1e300 });
    ASSERT_TRUE(special);
    auto back = parseXMLPropertyList(*special);
    ASSERT_TRUE(back);
    EXPECT_TRUE(std::isnan(*(*back->asArray())[0].asReal()));
    EXPECT_TRUE(std::signbit(*(*back->asArray())[1].asReal()));
    EXPECT_EQ(*(*back->asArray())[2].asReal(), 1e300);
}

TEST(BinaryPropertyListTest, ReadsEveryKindOfObject)
{
    // 0: dict {1:2, 3:4, 5:6, 7:8, 9:10}
    auto value = parseBinaryPropertyList(binary({
        std::string("\xD5\x01\x03\x05\x07\x09\x02\x04\x06\x08\x0A", 11),
        "\x51"
        "a",
        std::string("\x12\xFF\xFF\xFF\xFE", 5), // 4-byte integers are unsigned
        "\x51"
        "b",
        std::string("\x63\x00\xE9\xD8\x3D\xDE\x00", 7), // "é😀" in UTF-16
        "\x51"
        "c",
        std::string("\x33\x00\x00\x00\x00\x00\x00\x00\x00", 9), // 2001-01-01
        "\x51"
        "d",
        std::string("\xA3\x0B\x0C\x0D", 4),
        "\x51"
        "e",
        std::string("\x14\x00\x00\x00\x00\x00\x00\x00\x00\xFF\xFF\xFF\xFF\xFF\xFF\xFF\xFF", 17),
        "\x09",
        std::string("\x23\x40\x04\x00\x00\x00\x00\x00\x00", 9),
        std::string("\x42\x01\x02", 3),
    }));
    ASSERT_TRUE(value);
    EXPECT_EQ(*value->find("a")->asInteger(), 4294967294);
    EXPECT_EQ(*value->find("b")->asString(), "é😀");
    EXPECT_EQ(value->find("c")->asDate()->secondsSince1970, 978307200);
    EXPECT_EQ(*value->find("d"), PlistValue(PlistArray { true, 2.5, PlistData { 1, 2 } }));
    EXPECT_EQ(*value->find("e")->asUnsigned(), 18446744073709551615ull);
}

TEST(BinaryPropertyListTest, RefusesMalformedObjectsAndTables)
{
    std::vector<std::vector<std::string>> documents = {
        { std::string("\xA1\x00", 2) }, // array holding itself
        { std::string("\xA1\x05", 2) }, // reference out of range
        { std::string("\xD1\x01\x01", 3), "\x10\x01" }, // non-string key
        { std::string(1, char(0)) }, // null
        { std::string("\x5F\x10\x7F", 3) + "abc" }, // length beyond the objects
        { "\x52\xC3\xA9" }, // non-ASCII in an ASCII string
        { std::string("\x61\xD8\x3D", 3) }, // unpaired surrogate
        { "\x81\x00\x01" }, // UID
    };
    for (std::size_t i = 0; i < documents.size(); ++i)
        EXPECT_FALSE(parseBinaryPropertyList(binary(documents[i]))) << i;
    auto good = binary({ "\x09" });
    EXPECT_TRUE(parseBinaryPropertyList(good));
    EXPECT_FALSE(parseBinaryPropertyList(good.substr(0, good.size() - 1)));
    EXPECT_FALSE(parseBinaryPropertyList(binary({ "\x09" }, 1)));
    auto badTable = good;
    badTable[good.size() - 1] = char(0x7F);
    EXPECT_FALSE(parseBinaryPropertyList(badTable));
}

TEST(BinaryPropertyListTest, RefusesSharedObjectsThatExpandWithoutBound)
{
    // Each array holds the next twice: 2^40 values once walked.
    std::vector<std::string> objects;
    for (int i = 0; i < 40; ++i)
        objects.push_back(std::string("\xA2", 1) + char(i + 1) + char(i + 1));
    objects.push_back("\x09");
    EXPECT_FALSE(parseBinaryPropertyList(binary(objects)));
    objects.erase(objects.begin(), objects.begin() + 30);
    for (int i = 0; i < 10; ++i)
        objects[i] = std::string("\xA2", 1) + char(i + 1) + char(i + 1);
    EXPECT_TRUE(parseBinaryPropertyList(binary(objects)));
}

TEST(StringsFileTest, ReadsCommentsQuotedAndUnquotedStringsAndEscapes)
{
    auto entries = parseStringsFile("/* header */\n"
                                    "\"Bonjour\" = \"Hello\"; // trailing\n"
                                    "plain_word = other.word;\n"
                                    "\"tab\\t\\\"q\\\"\\\\\" = 'single';\n"
                                    "\"\\U00e9\\UD83D\\UDE00\\101\" = \"x\";\n"
                                    "\"same\";\n");
    ASSERT_TRUE(entries);
    EXPECT_EQ(*lookupString(*entries, "Bonjour"), "Hello");
    EXPECT_EQ(*lookupString(*entries, "plain_word"), "other.word");
    EXPECT_EQ(*lookupString(*entries, "tab\t\"q\"\\"), "single");
    EXPECT_EQ(*lookupString(*entries, "é😀A"), "x");
    EXPECT_EQ(*lookupString(*entries, "same"), "same");
    EXPECT_EQ(entries->size(), 5u);

    auto utf16 = parseStringsFile(std::string("\xFF\xFE\"\0a\0\"\0=\0\"\0\xE9\0\"\0;\0", 18));
    ASSERT_TRUE(utf16);
    EXPECT_EQ(*lookupString(*utf16, "a"), "é");
    EXPECT_TRUE(parseStringsFile("")->empty());
}

TEST(StringsFileTest, RefusesMalformedFilesWhole)
{
    const char* files[] = {
        "\"a\" = \"b\"", // missing semicolon
        "\"a\" = \"b", // unterminated string
        "\"a\" = \"b\"; /* open", // unterminated comment
        "\"a\" = ;",
        "= \"b\";",
        "\"a\" = \"b\" \"c\";",
        "\"a\" = \"1\"; \"a\" = \"2\";",
        "\"\\UD83D\" = \"x\";", // lone high surrogate
        "\"\\UDE00\" = \"x\";", // lone low surrogate
        "\"\\U12\" = \"x\";",
        "\"\\377\" = \"x\";",
        "\"\xC3\" = \"x\";",
        "a b;",
        "\"a\" = \"b\";;",
    };
    for (auto file : files)
        EXPECT_FALSE(parseStringsFile(file)) << file;
    EXPECT_FALSE(parseStringsFile(std::string("\"a\" = \"\0\";", 9)));
    EXPECT_FALSE(parseStringsFile(std::string("\xFF\xFE\"\0a", 5)));
}

TEST(PropertyListTest, TellsTheFormatFromTheFirstBytes)
{
    EXPECT_EQ(*parsePropertyList(xml("<string>x</string>")), PlistValue("x"));
    EXPECT_EQ(*parsePropertyList(binary({ "\x08" })), PlistValue(false));
    EXPECT_EQ(*parsePropertyList("\"k\" = \"v\";"), PlistValue(PlistDictionary { { "k", "v" } }));
    EXPECT_FALSE(parsePropertyList("bplist00 not really"));
}

} // namespace
} // namespace pellamor
