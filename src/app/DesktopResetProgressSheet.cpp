#include "app/DesktopResetProgressSheet.h"

#include "assistant/Localization.h"
#include "ui/Alert.h"
#include "ui/Label.h"

#include <QProgressBar>
#include <QVBoxLayout>

namespace pellamor {

namespace {
constexpr int stopResponse = -1000;
constexpr int accessoryWidth = 380;
} // namespace

DesktopResetProgressSheet::DesktopResetProgressSheet(std::size_t total)
    : accessory_(new QWidget)
    , label_(new Label)
    , progress_(new QProgressBar)
{
    accessory_->setObjectName("desktop-reset-progress");
    accessory_->setFixedSize(accessoryWidth, 48);
    auto* stack = new QVBoxLayout(accessory_);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);
    label_->setFixedWidth(accessoryWidth);
    progress_->setFixedWidth(accessoryWidth);
    progress_->setTextVisible(false);
    progress_->setRange(0, int(total));
    stack->addWidget(label_, 0, Qt::AlignLeading);
    stack->addWidget(progress_, 0, Qt::AlignLeading);
    update(0, total);
}

DesktopResetProgressSheet::~DesktopResetProgressSheet()
{
    *alive_ = false;
    // Until the sheet is shown, the accessory belongs to this object.
    if (accessory_ && !accessory_->parent())
        delete accessory_.data();
}

void DesktopResetProgressSheet::update(std::size_t removed, std::size_t total)
{
    if (label_)
        label_->setText(LCount("%@ / %@ bureaux supprimés", total, std::to_string(removed), std::to_string(total)));
    if (progress_)
        progress_->setValue(int(removed));
}

void DesktopResetProgressSheet::begin(QWidget* window, std::function<void()> onStop)
{
    Alert alert;
    alert.messageText = L("Suppression des bureaux…");
    alert.informativeText = L("Laisse la suppression se terminer sans changer de bureau ni débrancher d’écran. Tu peux arrêter les suppressions restantes.");
    alert.buttons = { L("Arrêter") };
    alert.accessoryView = accessory_;
    std::weak_ptr<bool> alive = alive_;
    sheet_ = AlertSheet::begin(window, std::move(alert), [this, alive, onStop](int) {
        if (alive.lock() && !finished_ && onStop)
            onStop();
    });
}

void DesktopResetProgressSheet::finish()
{
    finished_ = true;
    if (sheet_)
        sheet_->respond(stopResponse);
}

} // namespace pellamor
