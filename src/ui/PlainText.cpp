#include "ui/PlainText.h"

#include "ui/WrappedText.h"

namespace pellamor::PlainText {

QString text(const std::string& value)
{
    return QString::fromStdString(value);
}

QString title(const std::string& value)
{
    return text(value).replace('&', QStringLiteral("&&"));
}

QString toolTip(const std::string& value)
{
    if (value.empty())
        return {};
    // A tool tip wraps like a label.
    QString escaped = withQuotesBound(text(value)).toHtmlEscaped();
    escaped.replace('\n', QStringLiteral("<br>"));
    return QStringLiteral("<qt>") + escaped + QStringLiteral("</qt>");
}

} // namespace pellamor::PlainText
