// A JSON document parsed a piece at a time, so that a large one never takes much more memory than its bytes.
#pragma once

#include <simdjson.h>

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace pellamor {

// When a large document's top level is an object, it is parsed with each of its object and array values left
// empty, and each such value afterwards a group of members or elements at a time. Every byte is parsed once with the parser's
// full checks, so a document is refused exactly when it is not JSON. Numbers beyond 64 bits are read as reals.
// Other documents, and those with such numbers at the top level, are parsed whole; the parsers give back what a
// large document made them take.
class JsonPieces {
public:
    struct Member {
        std::string_view key;
        // The value; an object or array value may be left empty here: it is read with `forEachPiece`.
        simdjson::dom::element value;
        // The value's position among the object and array values of the top level; none for other values.
        std::size_t container = noContainer;
        static constexpr std::size_t noContainer = ~std::size_t { 0 };
    };
    using Visit = std::function<void(simdjson::dom::element piece)>;

    // A UTF-8 byte order mark is skipped. Bytes with some spare capacity are parsed without a copy. Throws
    // JSONParseError.
    static constexpr std::size_t defaultPieceBytes = std::size_t { 1 } << 20;
    // Documents of up to sixteen pieces are parsed whole, which is faster.
    explicit JsonPieces(std::string bytes, std::size_t pieceBytes = defaultPieceBytes);
    ~JsonPieces();
    JsonPieces(const JsonPieces&) = delete;
    JsonPieces& operator=(const JsonPieces&) = delete;

    // The top level, whole when it is not an object.
    simdjson::dom::element root() const { return root_; }
    // The top level's members in reading order, when it is an object.
    const std::vector<Member>& members() const { return members_; }
    // How many members or elements the member's object or array value holds.
    std::size_t count(const Member& member) const;
    // Calls `visit` with each piece of the member's object or array value in reading order: objects or arrays of
    // its consecutive members or elements, each valid only during its call. A value in pieces is read once: the
    // memory of its bytes is given back as they are read, and a second call does nothing. Throws JSONParseError.
    void forEachPiece(const Member& member, const Visit& visit);
    // Gives the bytes back once every piece needed was read; `root` and `members` stay.
    void releaseBytes();

private:
    struct Container {
        std::size_t begin = 0, end = 0; // from its opening to past its closing bracket
        std::vector<std::size_t> splits; // the separators where pieces end
        std::size_t count = 0;
        bool read = false;
    };
    bool scan();
    void giveBack(std::size_t begin, std::size_t end);
    // False when the top level holds numbers that need the text written again: the document is then parsed whole.
    bool parseSkeleton();

    std::string owned_;
    std::string_view bytes_;
    std::size_t room_;
    std::size_t pieceBytes_;
    std::vector<Container> containers_;
    std::string skeleton_;
    simdjson::dom::element root_;
    std::vector<Member> members_;
};

} // namespace pellamor
