// The setup panel's plain controls: document views, the tracking band's background, and the buttons that
// carry the identifiers their action needs.
#pragma once

#include "ui/SymbolButton.h"

#include <QWidget>
#include <string>

namespace pellamor {

// A one-point line in the separator colour of the appearance in use.
QWidget* setupSeparator(QWidget* parent);

// The document view of the panel's scroll views and the shortcut row.
class SetupDocument : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
};

class SetupTrackingBand : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// "Move the selected window here" of one screen card.
class SetupActionButton : public SymbolButton {
    Q_OBJECT
public:
    using SymbolButton::SymbolButton;
    std::string displayID;
    std::string projectID;
};

// Collapses or expands one application section of the window library.
class SetupApplicationSectionButton : public SymbolButton {
    Q_OBJECT
public:
    using SymbolButton::SymbolButton;
    std::string applicationKey;
};

class SetupProjectShortcutButton : public SymbolButton {
    Q_OBJECT
public:
    using SymbolButton::SymbolButton;
    std::string projectID;
};

} // namespace pellamor
