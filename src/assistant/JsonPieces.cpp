#include "assistant/JsonPieces.h"

#include "assistant/Models.h"

#include <cstdint>
#include <cstring>
#include <sys/mman.h>
#include <unistd.h>
#include <utility>
#include <nlohmann/json.hpp>

namespace pellamor {

namespace {

using simdjson::dom::element;

constexpr std::size_t maximumNestingDepth = simdjson::DEFAULT_MAX_DEPTH;

constexpr std::size_t wholeBytes = 16;

// The parser of the top level (or of a whole document) and that of the pieces, kept between documents so that
// their pages stay, unless a document made them large.
simdjson::dom::parser& topParser()
{
    thread_local simdjson::dom::parser parser;
    return parser;
}

simdjson::dom::parser& pieceParser()
{
    thread_local simdjson::dom::parser parser;
    return parser;
}

void shrink(simdjson::dom::parser& parser, std::size_t largest)
{
    if (parser.capacity() > largest)
        parser = simdjson::dom::parser();
}

// The parser reads a little past the end of its input: bytes with room enough behind them are parsed where they
// are, others are copied into a buffer kept between parses.
std::string_view padded(std::string_view bytes, std::size_t room)
{
    if (room >= simdjson::SIMDJSON_PADDING)
        return bytes;
    thread_local std::string buffer;
    buffer.reserve(bytes.size() + simdjson::SIMDJSON_PADDING);
    buffer.assign(bytes);
    return buffer;
}

// Numbers beyond 64 bits are valid JSON that the fast parser refuses: a general parser reads the text and writes
// it again with such numbers as reals. `rewritten` keeps the bytes the returned element refers to.
element parseAllowingLargeNumbers(simdjson::dom::parser& parser, std::string_view bytes, std::size_t room,
    std::string& rewritten, std::size_t maximumDepth)
{
    element root;
    const std::string_view input = padded(bytes, room);
    auto error = parser.parse(input.data(), input.size(), false).get(root);
    if (error == simdjson::NUMBER_ERROR) {
        // Writing the text out again recurses once per level: refuse what simdjson itself would refuse.
        const auto limitDepth = [maximumDepth](int depth, nlohmann::json::parse_event_t, nlohmann::ordered_json&) {
            if (std::size_t(depth) > maximumDepth)
                throw JSONParseError("JSON nesting too deep");
            return true;
        };
        try {
            rewritten = nlohmann::ordered_json::parse(bytes, limitDepth).dump();
        } catch (const nlohmann::ordered_json::exception& failure) {
            throw JSONParseError(failure.what());
        }
        error = parser.parse(rewritten).get(root);
    }
    if (error)
        throw JSONParseError(simdjson::error_message(error));
    return root;
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

} // namespace

JsonPieces::JsonPieces(std::string bytes, std::size_t pieceBytes)
    : owned_(std::move(bytes))
    , bytes_(owned_)
    , room_(owned_.capacity() - owned_.size())
    , pieceBytes_(pieceBytes)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (bytes_.starts_with(byteOrderMark))
        bytes_.remove_prefix(byteOrderMark.size());
    std::size_t first = 0;
    while (first < bytes_.size() && isSpace(bytes_[first]))
        ++first;
    if (bytes_.size() > wholeBytes * pieceBytes && first < bytes_.size() && bytes_[first] == '{' && scan()
        && parseSkeleton())
        return;
    // Small enough, not an object, not JSON, or large numbers at the top level: parsed whole.
    containers_.clear();
    members_.clear();
    root_ = parseAllowingLargeNumbers(topParser(), bytes_, room_, skeleton_, maximumNestingDepth);
    if (!root_.is_object() && !root_.is_array())
        throw JSONParseError("JSON text did not start with array or object");
    if (root_.is_object()) {
        for (auto member : simdjson::dom::object(root_))
            members_.push_back(Member { member.key, member.value });
    }
}

bool JsonPieces::parseSkeleton()
{
    skeleton_.reserve(bytes_.size() / 64 + 4096);
    std::size_t copied = 0;
    for (const Container& container : containers_) {
        skeleton_.append(bytes_.substr(copied, container.begin - copied));
        skeleton_ += bytes_[container.begin] == '{' ? "{}" : "[]";
        copied = container.end;
    }
    skeleton_.append(bytes_.substr(copied));
    skeleton_.reserve(skeleton_.size() + simdjson::SIMDJSON_PADDING);
    const auto error = topParser().parse(skeleton_.data(), skeleton_.size(), false).get(root_);
    if (error == simdjson::NUMBER_ERROR)
        return false;
    if (error)
        throw JSONParseError(simdjson::error_message(error));
    simdjson::dom::object top;
    if (root_.get(top))
        throw JSONParseError("JSON text did not start with array or object");
    std::size_t next = 0;
    for (auto member : top) {
        const bool container = member.value.is_object() || member.value.is_array();
        if (container && next == containers_.size())
            throw JSONParseError("JSON structure not understood");
        members_.push_back(Member { member.key, member.value, container ? next++ : Member::noContainer });
    }
    if (next != containers_.size())
        throw JSONParseError("JSON structure not understood");
    return true;
}

JsonPieces::~JsonPieces()
{
    shrink(topParser(), wholeBytes * pieceBytes_);
    shrink(pieceParser(), 4 * pieceBytes_);
}

// Only brackets, separators and the bounds of strings count here; whatever is not JSON is left to the parser.
bool JsonPieces::scan()
{
    const char* data = bytes_.data();
    const std::size_t size = bytes_.size();
    std::size_t depth = 0;
    std::size_t pieceStart = 0;
    for (std::size_t at = 0; at < size; ++at) {
        switch (data[at]) {
        case '"':
            // To the closing quote: the next one not escaped by an odd run of backslashes.
            for (;;) {
                const void* quote = std::memchr(data + at + 1, '"', size - at - 1);
                if (!quote)
                    return false;
                at = static_cast<std::size_t>(static_cast<const char*>(quote) - data);
                std::size_t slashes = 0;
                while (data[at - 1 - slashes] == '\\')
                    ++slashes;
                if (slashes % 2 == 0)
                    break;
            }
            break;
        case '{':
        case '[':
            if (++depth == 2) {
                containers_.push_back(Container { at, 0, {}, 0, false });
                pieceStart = at;
            }
            break;
        case '}':
        case ']':
            if (depth == 0)
                return false;
            if (depth-- == 2) {
                Container& container = containers_.back();
                // The pieces end with the bracket that opened them: a wrong one is left to the whole parse.
                if ((data[container.begin] == '{') != (data[at] == '}'))
                    return false;
                container.end = at + 1;
                std::size_t inner = container.begin + 1;
                while (inner < at && isSpace(data[inner]))
                    ++inner;
                container.count += inner < at ? 1 : 0;
            }
            break;
        case ',':
            if (depth == 2) {
                Container& container = containers_.back();
                ++container.count;
                if (at - pieceStart >= pieceBytes_) {
                    container.splits.push_back(at);
                    pieceStart = at;
                }
            }
            break;
        default:
            break;
        }
    }
    return depth == 0;
}

void JsonPieces::releaseBytes()
{
    containers_.clear();
    bytes_ = {};
    std::string().swap(owned_);
}

std::size_t JsonPieces::count(const Member& member) const
{
    if (member.container < containers_.size())
        return containers_[member.container].count;
    if (member.value.is_object())
        return simdjson::dom::object(member.value).size();
    return member.value.is_array() ? simdjson::dom::array(member.value).size() : 0;
}

void JsonPieces::giveBack(std::size_t begin, std::size_t end)
{
    // Only whole pages: the ends of the range may share theirs with bytes still to read.
    static const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto from = (reinterpret_cast<std::uintptr_t>(bytes_.data() + begin) + page - 1) & ~(page - 1);
    const auto to = reinterpret_cast<std::uintptr_t>(bytes_.data() + end) & ~(page - 1);
    if (to > from)
        ::madvise(reinterpret_cast<void*>(from), to - from, MADV_DONTNEED);
}

void JsonPieces::forEachPiece(const Member& member, const Visit& visit)
{
    // A document parsed whole has its values in full.
    if (member.container >= containers_.size()) {
        if (member.value.is_object() || member.value.is_array())
            visit(member.value);
        return;
    }
    Container& container = containers_[member.container];
    if (std::exchange(container.read, true))
        return;
    simdjson::dom::parser& parser = pieceParser();
    // A piece's outer bracket stands at the second level of the document.
    if (parser.max_depth() != maximumNestingDepth - 1 && parser.allocate(pieceBytes_, maximumNestingDepth - 1))
        throw JSONParseError(simdjson::error_message(simdjson::MEMALLOC));
    std::string rewritten;
    if (container.splits.empty()) {
        const std::string_view text = bytes_.substr(container.begin, container.end - container.begin);
        visit(parseAllowingLargeNumbers(
            parser, text, bytes_.size() + room_ - container.end, rewritten, maximumNestingDepth - 1));
        giveBack(container.begin, container.end);
        return;
    }
    const char open = bytes_[container.begin];
    const char close = open == '{' ? '}' : ']';
    thread_local std::string piece;
    std::size_t start = container.begin + 1;
    for (std::size_t index = 0; index <= container.splits.size(); ++index) {
        const std::size_t end = index < container.splits.size() ? container.splits[index] : container.end - 1;
        // A separator with nothing behind it, which the brackets around an empty piece would hide.
        if (bytes_.substr(start, end - start).find_first_not_of(" \t\n\r") == std::string_view::npos)
            throw JSONParseError(simdjson::error_message(simdjson::TAPE_ERROR));
        piece.reserve(end - start + 2 + simdjson::SIMDJSON_PADDING);
        piece.assign(1, open);
        piece.append(bytes_.substr(start, end - start));
        piece += close;
        giveBack(start, end);
        visit(parseAllowingLargeNumbers(
            parser, piece, piece.capacity() - piece.size(), rewritten, maximumNestingDepth - 1));
        start = end + 1;
    }
}

} // namespace pellamor
