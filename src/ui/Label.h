// A non-editable text label in the system font that shows plain text in a colour of the colour table.
#pragma once

#include "ui/ColorTable.h"

#include <QLabel>
#include <QStringList>
#include <string>

namespace pellamor {

enum class FontWeight { regular, medium, semibold, bold };

class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(const std::string& text = {}, QWidget* parent = nullptr);

    // The text is kept as given; what is laid out and drawn has its quote marks bound to their words.
    void setText(const std::string& text);
    std::string text() const { return text_; }
    void setToolTipText(const std::string& text);
    void setFontSize(double points, FontWeight weight = FontWeight::regular);
    void setColorRole(ColorRole role);
    ColorRole colorRole() const { return role_; }
    void setWrapping(bool wraps);
    // Caps a wrapping text at that many lines, the last one ending in an ellipsis when more would be needed; 0
    // lifts the cap.
    void setMaximumLines(int lines);
    int maximumLines() const { return maximumLines_; }
    // A one-line text that does not fit keeps this ending whole and shortens what comes before it (a count
    // after its title); empty by default.
    void setKeptEnding(const std::string& ending);

    int heightForWidth(int width) const override;
    // The lines drawn at the label's width, each whole or ending in an ellipsis.
    QStringList shownLines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void applyLineCap();
    QRect textArea() const;
    // One line as drawn in that width: whole, or cut with an ellipsis.
    QString shownLine(const QFontMetrics& metrics, int width) const;

    std::string text_;
    ColorRole role_ = ColorRole::label;
    int maximumLines_ = 0;
    QString keptEnding_;
};

QFont::Weight qtWeight(FontWeight weight);

} // namespace pellamor
