// XML property lists read through Qt's strict stream reader, which refuses what is not well formed.
#include "platform/ISO8601Date.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <charconv>
#include <limits>

namespace pellamor {

namespace {

bool isXMLSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

std::string_view trimmed(std::string_view text)
{
    while (!text.empty() && isXMLSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isXMLSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

std::optional<PlistValue> parseInteger(std::string_view text)
{
    text = trimmed(text);
    bool negative = !text.empty() && text.front() == '-';
    if (negative || (!text.empty() && text.front() == '+'))
        text.remove_prefix(1);
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    std::uint64_t magnitude = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), magnitude, base);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    if (!negative) {
        if (magnitude <= std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return PlistValue(std::int64_t(magnitude));
        return PlistValue(magnitude);
    }
    if (magnitude > std::uint64_t(std::numeric_limits<std::int64_t>::max()) + 1)
        return std::nullopt;
    return PlistValue(std::int64_t(0 - magnitude));
}

std::optional<PlistValue> parseReal(std::string_view text)
{
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    // Out of range is refused rather than rounded.
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return PlistValue(value);
}

std::optional<PlistValue> parseData(std::string_view text)
{
    QByteArray compact;
    for (char c : text)
        if (!isXMLSpace(c))
            compact += c;
    auto decoded = QByteArray::fromBase64Encoding(compact, QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded)
        return std::nullopt;
    return PlistValue(PlistData(decoded.decoded.begin(), decoded.decoded.end()));
}

class Reader {
public:
    explicit Reader(std::string_view bytes)
        : xml_(QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size())))
    {
    }

    std::optional<PlistValue> document()
    {
        if (!nextElement() || xml_.name() != u"plist")
            return std::nullopt;
        if (!nextElement())
            return std::nullopt;
        auto value = element(0);
        if (!value || nextElement() || xml_.tokenType() != QXmlStreamReader::EndElement)
            return std::nullopt;
        while (!xml_.atEnd()) {
            if (!skippable())
                return std::nullopt;
        }
        if (xml_.hasError())
            return std::nullopt;
        return value;
    }

private:
    // Whether the next token may be passed over between elements; reads it.
    bool skippable()
    {
        switch (xml_.readNext()) {
        case QXmlStreamReader::StartDocument:
        case QXmlStreamReader::EndDocument:
        case QXmlStreamReader::DTD:
        case QXmlStreamReader::Comment:
        case QXmlStreamReader::ProcessingInstruction:
            return true;
        case QXmlStreamReader::Characters:
            return xml_.isWhitespace();
        default:
            return false;
        }
    }

    // Moves to the next start element; false at an end element, other content or an error.
    bool nextElement()
    {
        while (!xml_.atEnd()) {
            if (skippable())
                continue;
            return xml_.tokenType() == QXmlStreamReader::StartElement;
        }
        return false;
    }

    std::optional<std::string> text()
    {
        QString content = xml_.readElementText(QXmlStreamReader::ErrorOnUnexpectedElement);
        if (xml_.hasError())
            return std::nullopt;
        return content.toStdString();
    }

    std::optional<PlistValue> element(int depth)
    {
        if (depth > maxPropertyListDepth || xml_.hasError())
            return std::nullopt;
        auto name = xml_.name();
        if (name == u"dict")
            return dictionary(depth);
        if (name == u"array")
            return array(depth);
        if (name == u"true" || name == u"false") {
            bool value = name == u"true";
            auto content = text();
            if (!content || !content->empty())
                return std::nullopt;
            return PlistValue(value);
        }
        auto content = text();
        if (!content)
            return std::nullopt;
        if (name == u"string")
            return PlistValue(std::move(*content));
        if (name == u"integer")
            return parseInteger(*content);
        if (name == u"real")
            return parseReal(*content);
        if (name == u"data")
            return parseData(*content);
        if (name == u"date") {
            auto date = parseISO8601Date(trimmed(*content));
            return date ? std::optional<PlistValue>(*date) : std::nullopt;
        }
        return std::nullopt;
    }

    std::optional<PlistValue> array(int depth)
    {
        PlistArray items;
        while (nextElement()) {
            auto item = element(depth + 1);
            if (!item)
                return std::nullopt;
            items.push_back(std::move(*item));
        }
        if (xml_.hasError() || xml_.tokenType() != QXmlStreamReader::EndElement)
            return std::nullopt;
        return PlistValue(std::move(items));
    }

    std::optional<PlistValue> dictionary(int depth)
    {
        PlistDictionary members;
        while (nextElement()) {
            if (xml_.name() != u"key")
                return std::nullopt;
            auto key = text();
            if (!key || !nextElement())
                return std::nullopt;
            auto value = element(depth + 1);
            if (!value || !members.emplace(std::move(*key), std::move(*value)).second)
                return std::nullopt;
        }
        if (xml_.hasError() || xml_.tokenType() != QXmlStreamReader::EndElement)
            return std::nullopt;
        return PlistValue(std::move(members));
    }

    QXmlStreamReader xml_;
};

} // namespace

std::optional<PlistValue> parseXMLPropertyList(std::string_view bytes)
{
    if (bytes.size() > maxPropertyListBytes)
        return std::nullopt;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    // Qt would quietly replace malformed sequences.
    if (!isValidUTF8(bytes))
        return std::nullopt;
    return Reader(bytes).document();
}

} // namespace pellamor
