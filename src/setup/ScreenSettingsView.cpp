#include "setup/ScreenSettingsView.h"

#include "ui/AppearanceSurface.h"
#include "assistant/Localization.h"

#include <QVBoxLayout>

namespace pellamor {

ScreenSettingsView::ScreenSettingsView(QWidget* parent)
    : QWidget(parent)
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(26, 25, 26, 20);
    layout->addWidget(AppInterface::header(
        L("Ton assistant"), L("Garde ton assistant sur un écran et tes projets sur les autres."), "display.2", false));
    layout->addStretch();
}

} // namespace pellamor
