#include "ui/SymbolRegistry.h"

#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPainter>
#include <map>

namespace pellamor::SymbolRegistry {
namespace {

// Font Awesome 4.7 code points.
const std::map<std::string, char16_t>& glyphs()
{
    static const std::map<std::string, char16_t> table = {
        { "accessibility", 0xf29a },
        { "app", 0xf096 },
        { "arrow.clockwise", 0xf01e },
        { "bubble.left.and.bubble.right.fill", 0xf086 },
        { "checkmark", 0xf00c },
        { "checkmark.circle.fill", 0xf058 },
        { "chevron.down", 0xf078 },
        { "chevron.down.2", 0xf103 },
        { "chevron.right", 0xf054 },
        { "chevron.up", 0xf077 },
        { "chevron.up.2", 0xf102 },
        { "circle.fill", 0xf111 },
        { "display", 0xf108 },
        { "display.2", 0xf24d },
        { "ellipsis", 0xf141 },
        { "exclamationmark.circle.fill", 0xf06a },
        { "eye", 0xf06e },
        { "hand.raised", 0xf256 },
        { "info.circle", 0xf05a },
        { "macwindow", 0xf2d0 },
        { "plus", 0xf067 },
        { "rectangle.3.group", 0xf009 },
        { "rectangle.stack", 0xf0c5 },
        { "sparkles", 0xf0d0 },
        { "xmark", 0xf00d },
    };
    return table;
}

const std::optional<QString>& family()
{
    static const std::optional<QString> loaded = []() -> std::optional<QString> {
        for (const char* path : { "/usr/share/fonts/opentype/font-awesome/FontAwesome.otf",
                 "/usr/share/fonts/truetype/font-awesome/fontawesome-webfont.ttf" }) {
            int id = QFontDatabase::addApplicationFont(QString::fromUtf8(path));
            if (id < 0)
                continue;
            QStringList families = QFontDatabase::applicationFontFamilies(id);
            if (!families.isEmpty())
                return families.front();
        }
        return std::nullopt;
    }();
    return loaded;
}

} // namespace

std::optional<QString> glyph(const std::string& name)
{
    auto found = glyphs().find(name);
    if (found == glyphs().end() || !family())
        return std::nullopt;
    return QString(QChar(found->second));
}

QFont font(double points)
{
    QFont symbols(family().value_or(QString()));
    symbols.setPointSizeF(points);
    return symbols;
}

QPixmap image(const std::string& name, double points, const QColor& colour)
{
    std::optional<QString> character = glyph(name);
    if (!character)
        return {};
    QFont symbols = font(points);
    QSizeF size = QFontMetricsF(symbols).boundingRect(*character).size();
    QPixmap pixmap(qMax(1, qCeil(size.width())), qMax(1, qCeil(size.height())));
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setFont(symbols);
    painter.setPen(colour);
    painter.drawText(pixmap.rect(), Qt::AlignCenter, *character);
    return pixmap;
}

} // namespace pellamor::SymbolRegistry
