#include "assistant/JsonPieces.h"

#include "assistant/Models.h"

#include <gtest/gtest.h>

namespace pellamor {
namespace {

// Above sixteen pieces of four bytes: parsed in pieces.
const std::string document = R"({"local-projects":{"p1":{"name":"Un","rootPaths":["/a"]},"p2":{"name":"Deux"}},)"
                             R"("selected-project":{"type":"local","projectId":"p1"},)"
                             R"("thread-project-membership-host-ids":{"t1":"local","T2":"local","t3":"cloud"},)"
                             R"("thread-project-assignments":{"t1":{"projectKind":"local","projectId":"p1"},)"
                             R"("T2":{"projectKind":"local","projectId":"p2"},"t3":{"projectKind":"local","projectId":"p1"}},)"
                             R"("other":[1,2,{"x":[3]}],"last":true})";

bool isJSON(const std::string& text)
{
    simdjson::dom::parser parser;
    return !parser.parse(simdjson::padded_string(text)).error();
}

// Every piece read, as the decoder reads them.
bool acceptedInPieces(const std::string& text)
{
    try {
        JsonPieces pieces(text, 4);
        for (const auto& member : pieces.members())
            pieces.forEachPiece(member, [](simdjson::dom::element) { });
        return true;
    } catch (const JSONParseError&) {
        return false;
    }
}

std::string replaced(std::string text, const std::string& what, const std::string& with)
{
    text.replace(text.find(what), what.size(), with);
    return text;
}

TEST(JsonPiecesTest, ALargeObjectComesAMemberGroupAtATimeInReadingOrder)
{
    JsonPieces pieces(document, 4);
    std::vector<std::string> keys;
    for (const auto& member : pieces.members())
        keys.emplace_back(member.key);
    EXPECT_EQ(keys, (std::vector<std::string> { "local-projects", "selected-project",
                        "thread-project-membership-host-ids", "thread-project-assignments", "other", "last" }));
    const auto& assignments = pieces.members()[3];
    EXPECT_EQ(pieces.count(assignments), 3u);
    std::vector<std::string> threads;
    int count = 0;
    pieces.forEachPiece(assignments, [&](simdjson::dom::element piece) {
        ++count;
        for (auto member : simdjson::dom::object(piece))
            threads.emplace_back(member.key);
    });
    EXPECT_EQ(threads, (std::vector<std::string> { "t1", "T2", "t3" }));
    EXPECT_EQ(count, 3);
    // Scalars are read from the top level itself.
    EXPECT_TRUE(pieces.members()[5].value.is_bool());
    pieces.forEachPiece(pieces.members()[5], [](simdjson::dom::element) { FAIL(); });

    // Small documents are parsed whole: their values are there in full.
    JsonPieces whole(R"({"a":{"b":1}})");
    EXPECT_EQ(whole.members().front().value["b"].get_int64().value(), 1);
}

TEST(JsonPiecesTest, RefusesExactlyWhatIsNotJSONWhereverTheFaultLies)
{
    const std::vector<std::pair<std::string, std::string>> changes {
        { R"("cloud")", "cloud" },
        { "[1,2,", "[1,,2," },
        { R"({"x":[3]})", R"({"x":[3})" },
        { R"("p1"}},)", R"("p1"}],)" },
        { R"("p1"}},)", R"("p1"}, },)" },
        { R"("p1"}},)", R"("p1"},)" + std::string(9, ' ') + "}," },
        { R"("Deux")", R"("De\qux")" },
        { R"("Deux")", "\"De\xFFux\"" },
        { R"("t1":"local")", R"("t1" "local")" },
        { R"("last":true})", R"("last":true}x)" },
        { R"("last":true})", R"("last":true}{})" },
        { R"("last":true})", R"("last":true)" },
        { R"("last":true})", R"("last":tru})" },
        { R"("Un")", R"("U\"{[,]}\\")" },
        { R"("Un")", R"("U\u00e9\ud83d\ude00")" },
        { R"("Un")", R"("U\ud83d")" },
        { R"("p2":)", R"("p\"2":)" },
        { "[1,2,", "[ ],[1,2," },
        { R"("other":[1,2,)", R"("other":[1,2,{ },)" },
        { R"("other":[1,2,)", R"("other":[1,2,)" + std::string(1021, '[') + std::string(1021, ']') + "," },
        { R"("other":[1,2,)", R"("other":[1,2,)" + std::string(1022, '[') + std::string(1022, ']') + "," },
        { R"("other":[1,2,)", R"("other":[1,2,)" + std::string(1023, '[') + std::string(1023, ']') + "," },
        { R"({"local-projects")", R"( {"local-projects")" },
        { R"({"local-projects")", R"([{"local-projects")" },
    };
    for (const auto& [what, with] : changes) {
        const std::string changed = replaced(document, what, with);
        EXPECT_EQ(acceptedInPieces(changed), isJSON(changed)) << with.substr(0, 40);
    }
    EXPECT_TRUE(acceptedInPieces(document));
    // Numbers beyond 64 bits are JSON, in a piece or at the top level.
    EXPECT_TRUE(acceptedInPieces(replaced(document, "[1,2,", "[1,123456789012345678901234567890,")));
    EXPECT_TRUE(acceptedInPieces(replaced(document, "true}", "123456789012345678901234567890}")));
}

TEST(JsonPiecesTest, TheStateFileDecodesTheSameInPiecesAsWhole)
{
    const std::vector<std::string> documents {
        document,
        // Case collisions, a project written twice, the membership in another order, a foreign assignment.
        replaced(replaced(document, R"("p2":{"name":"Deux"})", R"("p2":{"name":"Deux"},"p1":{"name":"Un bis"})"),
            R"({"t1":"local","T2":"local","t3":"cloud"})",
            R"({"t2":"local","T2":"local","t1":"local","t3":"local","t4":"local"})"),
        replaced(document, R"("t3":{"projectKind":"local")", R"("t2":{"projectKind":"cloud"},"t3":{"projectKind":"local")"),
        // Forms that empty the conversations or refuse the file.
        replaced(document, R"("t3":"cloud")", R"("t3":1)"),
        replaced(document, R"("t1":{"projectKind")", R"("t0":[],"t1":{"projectKind")"),
        replaced(document, R"("p2":{"name":"Deux"})", R"("p2":"Deux")"),
        replaced(replaced(document, R"("p2":{"name":"Deux"})", R"("p2":"Deux")"), R"("cloud")", "cloud"),
    };
    for (const std::string& text : documents) {
        std::optional<CodexSnapshot> whole, pieces;
        std::string wholeError, piecesError;
        try {
            whole = CodexSnapshot::decode(text);
        } catch (const std::exception& error) {
            wholeError = typeid(error).name();
        }
        try {
            pieces = CodexSnapshot::decode(text, 4);
        } catch (const std::exception& error) {
            piecesError = typeid(error).name();
        }
        EXPECT_EQ(whole, pieces) << text;
        EXPECT_EQ(wholeError, piecesError) << text;
    }
    const CodexSnapshot collisions = CodexSnapshot::decode(documents[1], 4);
    ASSERT_TRUE(collisions.localThreadProjects->find("t2"));
    EXPECT_EQ(*collisions.localThreadProjects->find("t2"), "p2");
    EXPECT_EQ(collisions.projects->front().name, "Deux");
}

} // namespace
} // namespace pellamor
