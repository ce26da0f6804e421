// A non-editable text label in the system font that shows plain text in a colour of the colour table.
#pragma once

#include "ui/ColorTable.h"

#include <QLabel>
#include <string>

namespace pellamor {

enum class FontWeight { regular, medium, semibold, bold };

class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const std::string& text = {}, QWidget* parent = nullptr);

    void setText(const std::string& text);
    std::string text() const { return QLabel::text().toStdString(); }
    void setToolTipText(const std::string& text);
    void setFontSize(double points, FontWeight weight = FontWeight::regular);
    void setColorRole(ColorRole role);
    ColorRole colorRole() const { return role_; }
    void setWrapping(bool wraps);
    // Caps the height at that many lines; 0 lifts the cap.
    void setMaximumLines(int lines);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyLineCap();

    ColorRole role_ = ColorRole::label;
    int maximumLines_ = 0;
};

QFont::Weight qtWeight(FontWeight weight);

} // namespace pellamor
