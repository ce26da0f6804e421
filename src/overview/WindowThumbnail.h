// The card of one window of another application in the setup panel, on a project's screen (a screen card) or
// in the list of all windows (a library card): it reports clicks, keys, menu choices and pointer state
// through its callbacks, and is the source of the window's drag.
#pragma once

#include "ui/DragSession.h"
#include "windows/DesktopWindow.h"
#include "windows/WindowArrangement.h"

#include <QPixmap>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QMenu;

namespace pellamor {

class Label;
class SymbolView;

class WindowThumbnail : public QWidget {
    Q_OBJECT
public:
    static constexpr int compactHeight = 76;
    static constexpr int libraryHeight = 48;
    // The pointer must travel further than this for a press to become a drag.
    static constexpr double dragThreshold = 5.0;

    WindowThumbnail(DesktopWindow record, std::uint64_t source, std::string token, int desktopNumber,
        bool isOnDisplay, bool showsApplicationIdentity, QWidget* parent = nullptr);
    ~WindowThumbnail() override;

    const DesktopWindow& record() const { return record_; }
    std::uint64_t source() const { return source_; }
    const std::string& token() const { return token_; }
    bool isOnDisplay() const { return isOnDisplay_; }
    const std::optional<QPixmap>& cachedImage() const { return cachedImage_; }
    void setImage(std::optional<QPixmap> image) { cachedImage_ = std::move(image); }

    std::function<void(WindowArrangement)> onArrange;
    std::function<void()> onSelect;
    // True when the activation came from a pointer click.
    std::function<void(bool byPointer)> onActivate;
    std::function<void(bool hovering)> onPreviewHover;
    std::function<void()> onPreviewDismiss;
    // A pointer interaction on the card began or ended.
    std::function<void(bool interacting)> onDraggingChange;

    void setCurrentArrangement(std::optional<WindowArrangement> arrangement);
    const std::optional<WindowArrangement>& currentArrangement() const { return currentArrangement_; }
    void setEditable(bool editable);
    bool isEditable() const { return isEditable_; }
    void setSelected(bool selected);
    bool selected() const { return selected_; }
    void setCanDrag(bool canDrag) { canDrag_ = canDrag; }
    bool canDrag() const { return canDrag_; }
    void setCanReturnToLibrary(bool canReturn);
    bool canReturnToLibrary() const { return canReturnToLibrary_; }
    void setOnReturnToLibrary(std::function<void()> handler);
    void setInteractive(bool interactive);
    bool isInteractive() const { return isInteractive_; }

    std::string placementSummary() const;
    std::string accessibilityLabel() const { return accessibleName().toStdString(); }
    // The drag item's content: the owner's token, the window number and the source space, joined by ":".
    std::string dragString() const;
    bool isDraggingWindow() const { return isDraggingWindow_; }
    bool pointerInteraction() const { return pointerInteraction_; }
    QMenu* cardMenu();
    const std::vector<QAction*>& placementItems();
    QAction* returnItem();
    QPixmap dragImage() const;
    // A window can only be moved onto this application's targets; elsewhere a drop does nothing.
    static DragOperations draggingOperations();

    // The card's menu, after ending the press and selecting the card, as a right click asks for it.
    QMenu* menuForContextRequest();
    void showPlacementMenu();
    void choosePlacement(int tag);
    void returnToLibrary();
    bool accessibilityPerformPress();
    bool accessibilityPerformShowMenu();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void endPointerInteraction();
    void cancelOperation();
    void startDrag();
    void updateReturnAction();
    void layoutViews();

    DesktopWindow record_;
    std::uint64_t source_;
    std::string token_;
    bool isOnDisplay_;
    bool showsApplicationIdentity_;
    std::optional<QPixmap> cachedImage_;
    Label* windowTitle_ = nullptr;
    Label* applicationName_ = nullptr;
    SymbolView* applicationIcon_ = nullptr;
    Label* placementLabel_ = nullptr;
    SymbolView* placementIcon_ = nullptr;
    QMenu* menu_ = nullptr;
    std::vector<QAction*> placementItems_;
    QAction* returnItem_ = nullptr;
    QAction* returnSeparator_ = nullptr;
    std::optional<WindowArrangement> currentArrangement_;
    bool isEditable_ = false;
    bool selected_ = false;
    bool canDrag_ = false;
    bool canReturnToLibrary_ = false;
    std::function<void()> onReturnToLibrary_;
    bool isInteractive_ = true;
    std::optional<QPointF> press_;
    bool isDraggingWindow_ = false;
    bool movedDuringPress_ = false;
    bool pointerInteraction_ = false;
};

} // namespace pellamor
