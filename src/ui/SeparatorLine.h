// A horizontal hairline in the separator colour of the appearance in use.
#pragma once

#include <QWidget>

namespace pellamor {

class SeparatorLine : public QWidget {
    Q_OBJECT
public:
    explicit SeparatorLine(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace pellamor
