#include "overview/WindowOverview.h"

#include "ui/AppearanceSurface.h"
#include "ui/PlainText.h"
#include "ui/SwitchControl.h"
#include "assistant/Localization.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace pellamor {

WindowOverviewView::WindowOverviewView(QWidget* parent)
    : QWidget(parent)
{
    bandSlot_ = new QWidget;
    auto* bandLayout = new QHBoxLayout(bandSlot_);
    bandLayout->setContentsMargins(0, 0, 0, 0);
    auto* refresh = new QPushButton(PlainText::title(L("Actualiser")));
    refresh->setObjectName("refresh-projects");
    connect(refresh, &QPushButton::clicked, this, [this] {
        onUserInteraction();
        if (refreshProjects)
            refreshProjects();
    });
    status_ = AppInterface::label({}, 12, FontWeight::regular, true);
    status_->setObjectName("overview-status");
    status_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 8, 0, 0);
    layout->addWidget(
        AppInterface::stack({ AppInterface::label(L("Configurer les écrans du projet"), 20, FontWeight::semibold),
                                AppInterface::spacer(), refresh },
            false));
    layout->addWidget(bandSlot_);
    layout->addWidget(status_);
    layout->addStretch();
}

void WindowOverviewView::setTrackingControls(QWidget* band, SwitchControl* toggle)
{
    auto* layout = static_cast<QHBoxLayout*>(bandSlot_->layout());
    while (QLayoutItem* item = layout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
    layout->addWidget(band, 1);
    layout->addWidget(toggle, 0, Qt::AlignTop);
}

void WindowOverviewView::updateResetState(bool enabled)
{
    resetEnabled_ = enabled;
}

void WindowOverviewView::updateTrackingState(bool enabled)
{
    trackingEnabled_ = enabled;
}

void WindowOverviewView::configurationChanged()
{
    ++configurationRevision_;
}

void WindowOverviewView::setOverviewVisible(bool visible)
{
    visible_ = visible;
}

void WindowOverviewView::setMaintenanceBusy(bool busy)
{
    if (busy) {
        if (isInteracting())
            return;
        maintenanceBusy_ = true;
        busy_ = true;
        return;
    }
    if (!maintenanceBusy_)
        return;
    maintenanceBusy_ = false;
    busy_ = false;
}

void WindowOverviewView::showResetStatus(const std::string& text, bool error)
{
    status_->setText(text);
    status_->setToolTipText(text);
    status_->setColorRole(error ? ColorRole::red : ColorRole::secondaryLabel);
    status_->setHidden(text.empty());
}

void WindowOverviewView::shutdown()
{
    if (shutDown_)
        return;
    visible_ = false;
    shutDown_ = true;
    desktopSwitcher_.shutdown();
}

} // namespace pellamor
