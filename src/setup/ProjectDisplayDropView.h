// One screen card of the selected project, drawn as a rounded card with a header band, and the drop target of
// window cards: it tells its owner when a window-card drag starts and stops hovering, and asks it about drops.
#pragma once

#include "ui/DraggingInfo.h"

#include <QWidget>
#include <functional>
#include <string>

namespace pellamor {

class ProjectDisplayDropView : public QWidget {
    Q_OBJECT
public:
    explicit ProjectDisplayDropView(const std::string& display, QWidget* parent = nullptr);
    ~ProjectDisplayDropView() override;

    const std::string display;
    std::function<bool(const DraggingInfo&)> accepts;
    std::function<bool(const DraggingInfo&)> onDrop;
    std::function<void(bool hovering)> onDragHover;

    void setActive(bool active);
    bool active() const { return active_; }
    bool dragHovered() const { return dragHovered_; }
    bool highlighted() const { return highlighted_; }

    // The dragging-destination operations; true stands for the move operation, false for none.
    bool draggingUpdated(const DraggingInfo& info);
    void draggingExited();
    bool prepareForDragOperation(const DraggingInfo& info);
    bool performDragOperation(const DraggingInfo& info);
    void endDragHover();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    bool active_ = false;
    bool dragHovered_ = false;
    bool highlighted_ = false;
};

} // namespace pellamor
