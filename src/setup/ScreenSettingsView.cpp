#include "setup/ScreenSettingsView.h"

#include "assistant/Localization.h"
#include "desktops/AssistantWindowPlacer.h"
#include "platform/Platform.h"
#include "setup/ScreenMapView.h"
#include "ui/AppearanceSurface.h"
#include "ui/AssistantAppIcon.h"
#include "ui/PlainText.h"
#include "ui/SegmentedControl.h"
#include "ui/SeparatorLine.h"

#include <QComboBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace pellamor {
namespace {

constexpr const char* displaysSettingsURL = "x-apple.systempreferences:com.apple.Displays-Settings.extension";
constexpr const char* accessibilitySettingsURL
    = "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility";

// The assistant's icon, fitted into 22 × 22 points for a segment, which draws it in its title's colour.
QPixmap segmentIcon(AssistantApp assistant)
{
    QPixmap image = assistantAppIcon(assistant, 16, ColorTable::color(ColorRole::label)).image;
    return image.isNull() ? image : image.scaled(22, 22, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPushButton* roundedButton(const std::string& title, const char* identifier)
{
    auto* button = new QPushButton(PlainText::title(title));
    button->setObjectName(identifier);
    return button;
}

Label* rowTitle(const std::string& text)
{
    Label* title = AppInterface::label(text, 13, FontWeight::semibold);
    title->setFixedWidth(124);
    return title;
}

} // namespace

ScreenSettingsView::ScreenSettingsView(QWidget* parent)
    : QWidget(parent)
    , map_(new ScreenMapView)
    , assistantPicker_(new SegmentedControl({ "Codex", "Claude" }))
    , monitorPicker_(new QComboBox)
    , summary_(new Label)
    , trackingNote_(new Label)
    , roleNote_(new Label)
    , spacesNote_(new Label)
    , placeButton_(new QPushButton)
    , status_(new Label)
{
    UserDefaults& defaults = platform().standardDefaults();
    configuration_ = AssistantScreenConfiguration::load(ConnectedMonitor::read(), defaults);
    configuration_.save(defaults);
    build();
    refresh();

    QPointer<ScreenSettingsView> self(this);
    auto refreshing = [self](const Notification&) {
        if (self)
            self->refresh();
    };
    NotificationCenter& center = platform().defaultCenter();
    observers_.push_back(center.addObserver(screenParametersChangedNotification, nullptr, refreshing));
    observers_.push_back(center.addObserver(applicationDidBecomeActiveNotification, nullptr, refreshing));
}

void ScreenSettingsView::build()
{
    QPointer<ScreenSettingsView> self(this);

    assistantPicker_->setObjectName("assistant-picker");
    assistantPicker_->setAccessibilityLabel(L("Choisir un assistant : Codex disponible, Claude à venir"));
    assistantPicker_->setImage(segmentIcon(AssistantApp::codex), 0);
    assistantPicker_->setLabel("Codex", 0);
    assistantPicker_->setWidth(145, 0);
    assistantPicker_->setImage(segmentIcon(AssistantApp::claude), 1);
    assistantPicker_->setLabel(L("%@ · À venir", std::string("Claude")), 1);
    assistantPicker_->setEnabled(false, 1);
    assistantPicker_->setWidth(210, 1);
    assistantPicker_->onAction = [this] { changeAssistant(); };

    monitorPicker_->setObjectName("assistant-screen-picker");
    monitorPicker_->setAccessibleName(QString::fromStdString(L("Écran dédié à l’assistant")));
    monitorPicker_->setMinimumWidth(220);
    connect(monitorPicker_, &QComboBox::activated, this, [this](int) { changeMonitor(); });

    placeButton_->setObjectName("place-assistant");
    connect(placeButton_, &QPushButton::clicked, this, [this] { place(); });

    map_->setObjectName("assistant-screen-map");
    map_->setAccessibleName(QString::fromStdString(L("Écran dédié et écrans de contenu")));
    map_->setFixedHeight(230);
    map_->onSelectMonitor = [self](const std::string& monitorID) {
        if (self)
            self->updateConfiguration({ self->configuration_.assistant, monitorID });
    };

    summary_->setFontSize(13, FontWeight::semibold);
    summary_->setWrapping(false);
    summary_->setObjectName("assistant-screen-summary");
    trackingNote_->setFontSize(12);
    trackingNote_->setColorRole(ColorRole::secondaryLabel);
    roleNote_->setFontSize(12);
    roleNote_->setColorRole(ColorRole::secondaryLabel);
    spacesNote_->setFontSize(12);
    spacesNote_->setObjectName("assistant-spaces-note");
    status_->setFontSize(12);
    status_->setObjectName("assistant-screen-status");
    showStatus(
        L("Clique sur un écran du schéma pour le choisir. Le bouton Placer déplace la fenêtre de l’assistant ouvert."),
        ColorRole::secondaryLabel);

    QWidget* assistantRow
        = AppInterface::stack({ rowTitle(L("Assistant")), assistantPicker_, AppInterface::spacer() }, false, 12);
    QWidget* screenRow = AppInterface::stack(
        { rowTitle(L("Écran dédié")), monitorPicker_, placeButton_, AppInterface::spacer() }, false, 12);
    QWidget* choices = AppInterface::card(AppInterface::stack({ assistantRow, trackingNote_, new SeparatorLine,
                                                                  screenRow,
                                                                  AppInterface::label(L("Les réglages sont enregistrés automatiquement."),
                                                                      11, FontWeight::regular, true) },
        true, 11));
    QWidget* layout = AppInterface::card(AppInterface::stack({ summary_, map_, roleNote_, spacesNote_ }, true, 10));

    QPushButton* displays = roundedButton(L("Réglages des écrans…"), "open-displays-settings");
    connect(displays, &QPushButton::clicked, this, [] { platform().workspace().openURL(displaysSettingsURL); });
    QPushButton* accessibility = roundedButton(L("Réglages accessibilité…"), "open-accessibility-settings");
    connect(accessibility, &QPushButton::clicked, this,
        [] { platform().workspace().openURL(accessibilitySettingsURL); });
    QPushButton* reload = roundedButton(L("Actualiser"), "refresh-assistant-screens");
    connect(reload, &QPushButton::clicked, this, [this] { refresh(); });
    QWidget* buttons = AppInterface::stack({ displays, accessibility, reload, AppInterface::spacer() }, false, 12);

    QWidget* page = AppInterface::stack(
        { AppInterface::header(L("Ton assistant"), L("Garde ton assistant sur un écran et tes projets sur les autres."),
              "display.2", false),
            choices, layout, status_, buttons },
        true, 16);
    // Scrolls when the window is too low for the whole pane, rather than squeezing the map over the notes.
    auto* document = new QWidget;
    auto* documentLayout = new QVBoxLayout(document);
    documentLayout->setContentsMargins(26, 25, 26, 20);
    documentLayout->addWidget(page);
    documentLayout->addStretch(1);
    auto* scroller = new QScrollArea;
    scroller->setObjectName("assistant-scroll-view");
    scroller->setFrameShape(QFrame::NoFrame);
    scroller->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scroller->setWidgetResizable(true);
    scroller->setWidget(document);
    scroller->viewport()->setAutoFillBackground(false);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroller);
}

void ScreenSettingsView::refresh()
{
    monitors_ = ConnectedMonitor::read();
    if (!configuration_.monitorID && !monitors_.empty()) {
        auto main = std::find_if(
            monitors_.begin(), monitors_.end(), [](const ConnectedMonitor& monitor) { return monitor.isMain; });
        configuration_.monitorID = (main != monitors_.end() ? *main : monitors_.front()).id;
        configuration_.save(platform().standardDefaults());
    }
    map_->setMonitors(monitors_);
    map_->setConfiguration(configuration_);
    auto assistantIndex = std::find(AssistantApp::allCases.begin(), AssistantApp::allCases.end(),
        configuration_.assistant.value());
    assistantPicker_->setSelectedSegment(static_cast<int>(assistantIndex - AssistantApp::allCases.begin()));

    monitorPicker_->clear();
    int selected = -1;
    for (std::size_t index = 0; index < monitors_.size(); ++index) {
        const ConnectedMonitor& monitor = monitors_[index];
        monitorPicker_->addItem(PlainText::text(L("Écran %@ — %@", std::to_string(index + 1), monitor.displayName())),
            QString::fromStdString(monitor.id));
        if (ScreenMapLayout::isDedicated(monitor, configuration_))
            selected = static_cast<int>(index);
    }
    bool connected = selected >= 0;
    if (!connected) {
        monitorPicker_->addItem(PlainText::text(L("Écran dédié — déconnecté")),
            configuration_.monitorID ? QVariant(QString::fromStdString(*configuration_.monitorID)) : QVariant());
        selected = monitorPicker_->count() - 1;
    }
    monitorPicker_->setCurrentIndex(selected);

    std::size_t contentCount = connected ? monitors_.size() - 1 : monitors_.size();
    std::string count = std::to_string(contentCount);
    if (connected)
        summary_->setText(contentCount == 1 ? L("1 écran dédié · %@ écran de contenu", count)
                                            : L("1 écran dédié · %@ écrans de contenu", count));
    else
        summary_->setText(contentCount == 1 ? L("Écran dédié déconnecté · %@ écran de contenu", count)
                                            : L("Écran dédié déconnecté · %@ écrans de contenu", count));

    std::string assistant = configuration_.assistant.name();
    placeButton_->setText(PlainText::title(L("Placer %@", assistant)));
    placeButton_->setEnabled(connected);
    placeButton_->setAccessibleName(QString::fromStdString(L("Placer %@ sur son écran dédié", assistant)));
    map_->setAccessibilityValue(ScreenMapLayout::accessibilityValue(monitors_, configuration_));
    trackingNote_->setText(L("Le suivi fonctionne avec Codex et s’active par défaut. L’interrupteur « Suivi automatique » est en haut de « Configurer les écrans du projet »."));
    roleNote_->setText(L("L’écran de %@ est réservé à l’assistant. Utilise les autres écrans pour les fenêtres de tes projets.", assistant));

    if (!connected) {
        spacesNote_->setText(L("Rebranche l’écran dédié ou choisis-en un autre pour reprendre le suivi des projets."));
        spacesNote_->setColorRole(ColorRole::orange);
    } else if (contentCount == 0) {
        spacesNote_->setText(L("Branche un autre écran pour afficher le contenu des projets en gardant l’assistant sur son écran dédié."));
        spacesNote_->setColorRole(ColorRole::orange);
    } else if (platform().screens().screensHaveSeparateSpaces()) {
        spacesNote_->setText(L("Espaces distincts activés. Les écrans de contenu peuvent suivre tes projets."));
        spacesNote_->setColorRole(ColorRole::secondaryLabel);
    } else {
        spacesNote_->setText(L("Active « Les écrans disposent d’espaces distincts » dans Réglages système → Bureau et Dock → Mission Control pour garder l’écran de l’assistant fixe."));
        spacesNote_->setColorRole(ColorRole::orange);
    }
}

void ScreenSettingsView::updateConfiguration(AssistantScreenConfiguration proposed)
{
    if (proposed.assistant == AssistantApp::claude) {
        refresh();
        return;
    }
    if (!canChangeConfiguration()) {
        showStatus(L("Attends la fin de l’opération en cours avant de modifier l’écran dédié."), ColorRole::orange);
        refresh();
        return;
    }
    configuration_ = { AssistantApp::codex, proposed.monitorID };
    configuration_.save(platform().standardDefaults());
    refresh();
    platform().defaultCenter().post(assistantScreenConfigurationChanged);
    showStatus(L("%@ : écran dédié enregistré. Il reste réservé à l’assistant dans « Configurer les écrans du projet ».",
                   configuration_.assistant.name()),
        ColorRole::secondaryLabel);
}

void ScreenSettingsView::changeAssistant()
{
    int index = assistantPicker_->selectedSegment();
    if (index == 0 || index == 1) {
        AssistantApp chosen = AssistantApp::allCases[static_cast<std::size_t>(index)];
        if (chosen == AssistantApp::codex) {
            updateConfiguration({ chosen, configuration_.monitorID });
            return;
        }
    }
    refresh();
}

void ScreenSettingsView::changeMonitor()
{
    int index = monitorPicker_->currentIndex();
    if (index < 0)
        return;
    QVariant represented = monitorPicker_->itemData(index);
    if (represented.typeId() != QMetaType::QString)
        return;
    std::string monitorID = represented.toString().toStdString();
    bool connected = std::any_of(monitors_.begin(), monitors_.end(),
        [&monitorID](const ConnectedMonitor& monitor) { return monitor.id == monitorID; });
    if (!connected)
        return;
    updateConfiguration({ configuration_.assistant, monitorID });
}

void ScreenSettingsView::place()
{
    if (placementBlockingReason) {
        if (std::optional<std::string> reason = placementBlockingReason()) {
            showStatus(*reason, ColorRole::orange);
            return;
        }
    }
    if (!configuration_.monitorID)
        return;
    auto placed = AssistantWindowPlacer::place(configuration_.assistant, *configuration_.monitorID);
    if (const std::string* confirmation = std::get_if<std::string>(&placed))
        showStatus(*confirmation, ColorRole::green);
    else
        showStatus(std::get<Error>(placed).localizedDescription, ColorRole::red);
}

void ScreenSettingsView::showStatus(const std::string& text, ColorRole colour)
{
    status_->setText(text);
    status_->setColorRole(colour);
}

} // namespace pellamor
