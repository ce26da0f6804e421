// XML property lists, read through Qt's strict stream reader and written by hand.
#include "platform/ISO8601Date.h"
#include "platform/PropertyList.h"
#include "platform/Unicode.h"

#include <QByteArray>
#include <QXmlStreamReader>
#include <charconv>
#include <cmath>
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

// XML 1.0 cannot carry most control characters, not even as references.
bool isXMLText(std::string_view text)
{
    if (!isValidUTF8(text))
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            return false;
        // U+FFFE and U+FFFF.
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF
            && (static_cast<unsigned char>(text[i + 2]) & 0xFE) == 0xBE)
            return false;
    }
    return true;
}

class Writer {
public:
    bool value(const PlistValue& value, int depth)
    {
        if (depth > maxPropertyListDepth)
            return false;
        indent(depth);
        switch (value.type()) {
        case PlistValue::Type::boolean:
            out_ += *value.asBool() ? "<true/>\n" : "<false/>\n";
            return true;
        case PlistValue::Type::integer:
            out_ += "<integer>" + std::to_string(*value.asInteger()) + "</integer>\n";
            return true;
        case PlistValue::Type::unsignedInteger:
            out_ += "<integer>" + std::to_string(*value.asUnsigned()) + "</integer>\n";
            return true;
        case PlistValue::Type::real:
            out_ += "<real>" + real(*value.asReal()) + "</real>\n";
            return true;
        case PlistValue::Type::string:
            return element("string", *value.asString());
        case PlistValue::Type::data: {
            auto& data = *value.asData();
            auto encoded = QByteArray(reinterpret_cast<const char*>(data.data()), qsizetype(data.size())).toBase64();
            out_ += "<data>" + encoded.toStdString() + "</data>\n";
            return true;
        }
        case PlistValue::Type::date: {
            auto text = formatISO8601Date(*value.asDate());
            if (!text)
                return false;
            out_ += "<date>" + *text + "</date>\n";
            return true;
        }
        case PlistValue::Type::array:
            return array(*value.asArray(), depth);
        case PlistValue::Type::dictionary:
            return dictionary(*value.asDictionary(), depth);
        }
        return false;
    }

    std::string& output() { return out_; }

private:
    void indent(int depth) { out_.append(std::size_t(depth), '\t'); }

    static std::string real(double value)
    {
        if (std::isnan(value))
            return "nan";
        if (std::isinf(value))
            return value > 0 ? "+infinity" : "-infinity";
        char buffer[32];
        auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
        return std::string(buffer, end);
    }

    bool element(const char* name, std::string_view text)
    {
        if (!isXMLText(text))
            return false;
        out_ += '<';
        out_ += name;
        out_ += '>';
        for (char c : text) {
            switch (c) {
            case '&':
                out_ += "&amp;";
                break;
            case '<':
                out_ += "&lt;";
                break;
            case '>':
                out_ += "&gt;";
                break;
            // A raw carriage return would be read back as a line feed.
            case '\r':
                out_ += "&#13;";
                break;
            default:
                out_ += c;
            }
        }
        out_ += "</";
        out_ += name;
        out_ += ">\n";
        return true;
    }

    bool array(const PlistArray& items, int depth)
    {
        if (items.empty()) {
            out_ += "<array/>\n";
            return true;
        }
        out_ += "<array>\n";
        for (auto& item : items)
            if (!value(item, depth + 1))
                return false;
        indent(depth);
        out_ += "</array>\n";
        return true;
    }

    bool dictionary(const PlistDictionary& members, int depth)
    {
        if (members.empty()) {
            out_ += "<dict/>\n";
            return true;
        }
        out_ += "<dict>\n";
        for (auto& [key, member] : members) {
            indent(depth + 1);
            if (!element("key", key) || !value(member, depth + 1))
                return false;
        }
        indent(depth);
        out_ += "</dict>\n";
        return true;
    }

    std::string out_;
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

std::optional<std::string> writeXMLPropertyList(const PlistValue& value)
{
    Writer writer;
    writer.output() = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
                      "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
                      "<plist version=\"1.0\">\n";
    if (!writer.value(value, 0))
        return std::nullopt;
    writer.output() += "</plist>\n";
    return std::move(writer.output());
}

} // namespace pellamor
