#include "support/TextFit.h"

#include "ui/Label.h"

#include <QAbstractButton>
#include <QAbstractScrollArea>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>

namespace pellamor::test {
namespace {

std::string describe(const QWidget* widget, const QString& text, const std::string& fault)
{
    return widget->metaObject()->className() + std::string(" '") + widget->objectName().toStdString() + "' \""
        + text.toStdString() + "\": " + fault;
}

bool isScrollViewport(const QWidget* widget)
{
    auto* area = widget->parentWidget() ? qobject_cast<QAbstractScrollArea*>(widget->parentWidget()) : nullptr;
    return area && area->viewport() == widget;
}

// The part of `area` (in the widget's coordinates) that its ancestors up to the root or a scroll view leave
// visible is all of it.
bool shownByAncestors(const QWidget* widget, QRect area, const QWidget* root)
{
    for (const QWidget* child = widget; child != root && child->parentWidget(); child = child->parentWidget()) {
        area.translate(child->pos());
        const QWidget* parent = child->parentWidget();
        if (isScrollViewport(parent))
            return true;
        if (!parent->rect().contains(area))
            return false;
    }
    return true;
}

// The lines a label draws: our own label says which, cut short with an ellipsis where it does not fit.
QStringList drawnLines(const QLabel* label, QRect area)
{
    if (auto* own = qobject_cast<const Label*>(label))
        return own->shownLines();
    if (!label->wordWrap())
        return { label->text() };
    QFontMetrics metrics(label->font());
    int height = metrics.boundingRect(QRect(0, 0, area.width(), 100000),
        Qt::TextWordWrap | int(label->alignment() & Qt::AlignHorizontal_Mask), label->text()).height();
    return QStringList(std::max(1, (height + metrics.lineSpacing() / 2) / metrics.lineSpacing()), label->text());
}

void checkLabel(const QLabel* label, const QWidget* root, std::vector<std::string>& cut)
{
    QRect area = label->contentsRect().adjusted(label->margin(), label->margin(), -label->margin(), -label->margin());
    QFontMetrics metrics(label->font());
    QString text = label->text();
    QStringList lines = drawnLines(label, area);
    int height = lines.size() == 1 ? metrics.height() : metrics.lineSpacing() * static_cast<int>(lines.size());
    if (height > area.height() + 1) {
        cut.push_back(describe(label, text, std::to_string(lines.size()) + " lines need " + std::to_string(height)
            + " points of height, it has " + std::to_string(area.height())));
        return;
    }
    int width = 0;
    for (const QString& line : lines)
        width = std::max(width, label->wordWrap() ? std::min(metrics.horizontalAdvance(line), area.width())
                                                  : metrics.horizontalAdvance(line));
    if (width > area.width()) {
        cut.push_back(describe(label, text, "needs " + std::to_string(width) + " points, has "
            + std::to_string(area.width())));
        return;
    }
    if (label->alignment() & Qt::AlignRight)
        area.setLeft(area.right() - width);
    else if (label->alignment() & Qt::AlignHCenter)
        area = QRect(area.center().x() - width / 2, area.y(), width, area.height());
    else
        area.setWidth(width);
    int top = area.top();
    if (label->alignment() & Qt::AlignVCenter)
        top = area.top() + (area.height() - height) / 2;
    else if (label->alignment() & Qt::AlignBottom)
        top = area.bottom() - height;
    if (!shownByAncestors(label, QRect(area.x(), top, area.width(), height), root))
        cut.push_back(describe(label, text, "cut by the view that holds it"));
}

// A one-line control shows its title whole when it is at least that wide.
void checkWidth(const QWidget* control, const QString& text, int needed, const QWidget* root,
    std::vector<std::string>& cut)
{
    if (control->width() < needed) {
        cut.push_back(describe(control, text, "needs " + std::to_string(needed) + " points, has "
            + std::to_string(control->width())));
        return;
    }
    if (!shownByAncestors(control, control->rect(), root))
        cut.push_back(describe(control, text, "cut by the view that holds it"));
}

void checkButton(const QAbstractButton* button, const QWidget* root, std::vector<std::string>& cut)
{
    QString text = button->text();
    text.replace(QStringLiteral("&&"), QStringLiteral("&"));
    // The title and the image with the style's smallest padding.
    checkWidth(button, text, QFontMetrics(button->font()).horizontalAdvance(text)
        + (button->icon().isNull() ? 0 : button->iconSize().width() + 4) + 8, root, cut);
}

void checkPopUp(const QComboBox* popUp, const QWidget* root, std::vector<std::string>& cut)
{
    // The title and the arrow.
    checkWidth(popUp, popUp->currentText(), QFontMetrics(popUp->font()).horizontalAdvance(popUp->currentText()) + 28,
        root, cut);
}

void checkTabs(const QTabBar* bar, const QWidget* root, std::vector<std::string>& cut)
{
    QFontMetrics metrics(bar->font());
    for (int index = 0; index < bar->count(); ++index) {
        QString text = bar->tabText(index);
        QRect tab = bar->tabRect(index);
        if (tab.width() < metrics.horizontalAdvance(text) + 8 || !shownByAncestors(bar, tab, root))
            cut.push_back(describe(bar, text, "tab narrower than its title"));
    }
}

// A document wider than what its scroll view shows of it, with no way to scroll sideways, runs under the
// vertical scroll bar.
void checkDocumentWidth(const QScrollArea* scroll, std::vector<std::string>& cut)
{
    const QWidget* document = scroll->widget();
    if (document && !scroll->horizontalScrollBar()->isVisible() && document->width() > scroll->viewport()->width())
        cut.push_back(describe(scroll, {}, "document " + std::to_string(document->width()) + " points wide, shows "
            + std::to_string(scroll->viewport()->width())));
}

} // namespace

std::vector<std::string> clippedTexts(QWidget* root)
{
    std::vector<std::string> cut;
    for (QWidget* widget : root->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(root) || widget->width() <= 0 || widget->height() <= 0)
            continue;
        if (auto* label = qobject_cast<QLabel*>(widget); label && !label->text().isEmpty())
            checkLabel(label, root, cut);
        else if (auto* button = qobject_cast<QAbstractButton*>(widget); button && !button->text().isEmpty())
            checkButton(button, root, cut);
        else if (auto* popUp = qobject_cast<QComboBox*>(widget))
            checkPopUp(popUp, root, cut);
        else if (auto* bar = qobject_cast<QTabBar*>(widget))
            checkTabs(bar, root, cut);
        else if (auto* scroll = qobject_cast<QScrollArea*>(widget))
            checkDocumentWidth(scroll, cut);
    }
    return cut;
}

} // namespace pellamor::test
