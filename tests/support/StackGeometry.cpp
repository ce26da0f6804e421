#include "support/StackGeometry.h"

#include "ui/Label.h"

#include <QLayout>

namespace pellamor::test {

Label* labelShowing(QWidget* root, const std::string& text)
{
    for (Label* label : root->findChildren<Label*>()) {
        if (label->text() == text)
            return label;
    }
    return nullptr;
}

std::vector<int> stackGaps(QWidget* stack, Qt::Orientation along)
{
    QLayout* layout = stack->layout();
    if (!layout)
        return {};
    layout->activate();
    const bool vertical = along == Qt::Vertical;
    std::vector<int> gaps;
    QWidget* previous = nullptr;
    for (int i = 0; i < layout->count(); ++i) {
        QWidget* view = layout->itemAt(i)->widget();
        if (!view || view->isHidden())
            continue;
        if (previous)
            gaps.push_back(vertical ? view->y() - (previous->y() + previous->height())
                                    : view->x() - (previous->x() + previous->width()));
        previous = view;
    }
    return gaps;
}

} // namespace pellamor::test
