#include "ui/Alert.h"

#include "ui/ColorTable.h"
#include "ui/Label.h"
#include "ui/PlainText.h"
#include "ui/SheetHost.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellamor {

namespace {
constexpr int alertTextWidth = 420;
} // namespace

AlertSheet* AlertSheet::begin(QWidget* window, Alert alert, std::function<void(int)> completion)
{
    if (!window || SheetHost::hasAttachedSheet(window))
        return nullptr;
    auto* sheet = new AlertSheet(std::move(alert), std::move(completion));
    SheetHost::beginSheet(window, sheet);
    return sheet;
}

AlertSheet::AlertSheet(Alert alert, std::function<void(int)> completion)
    : alert_(std::move(alert))
    , completion_(std::move(completion))
{
    setObjectName("alert");
    auto* layout = new QVBoxLayout(this);
    if (alert_.icon) {
        auto* icon = new QLabel;
        icon->setPixmap(alert_.icon->scaled(64, 64, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        layout->addWidget(icon);
    }
    auto* title = new Label(alert_.messageText);
    title->setObjectName("alert-title");
    title->setFontSize(13, FontWeight::bold);
    layout->addWidget(title);
    auto* informative = new Label(alert_.informativeText);
    informative->setObjectName("alert-informative");
    informative->setFontSize(11);
    informative->setHidden(alert_.informativeText.empty());
    layout->addWidget(informative);
    if (alert_.accessoryView)
        layout->addWidget(alert_.accessoryView);
    auto* row = new QHBoxLayout;
    row->addStretch();
    for (std::size_t index = 0; index < alert_.buttons.size(); ++index) {
        auto* button = new QPushButton(PlainText::title(alert_.buttons[index]));
        button->setObjectName(QStringLiteral("alert-button-%1").arg(index));
        int response = alertFirstButtonReturn + static_cast<int>(index);
        button->setAutoDefault(false);
        button->setDefault(index == alert_.returnButton);
        if (alert_.destructiveButton == index)
            button->setStyleSheet(QStringLiteral("color: %1;").arg(ColorTable::color(ColorRole::red).name()));
        connect(button, &QPushButton::clicked, this, [this, response] { respond(response); });
        row->addWidget(button);
    }
    layout->addLayout(row);
    // As on the Mac, alerts have one width and grow downwards to show all of their text.
    for (Label* text : { title, informative })
        text->setFixedWidth(alertTextWidth);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void AlertSheet::respond(int response)
{
    SheetHost::endSheet(this);
    deleteLater();
    // Taken out first so that a completion that opens another alert cannot run this one twice.
    std::function<void(int)> completion = std::move(completion_);
    completion_ = nullptr;
    if (completion)
        completion(response);
}

} // namespace pellamor
