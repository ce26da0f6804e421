// The searchable list in which a person picks the project to configure; it reports exactly one outcome, a
// project id through `onChoose` or a cancellation through `onCancel`, and then stays inert.
#pragma once

#include "desktops/OverviewProjectAssignment.h"

#include <QListWidget>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class QLineEdit;

namespace pellamor {

class Label;
class SymbolButton;
class SymbolView;

class ProjectSetupChooserTable : public QListWidget {
    Q_OBJECT
public:
    using QListWidget::QListWidget;
    std::function<void()> onChoose;
    std::function<void()> onCancel;

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

class ProjectSetupChooserCell : public QWidget {
    Q_OBJECT
public:
    explicit ProjectSetupChooserCell(QWidget* parent = nullptr);

    Label* nameLabel;
    Label* pathLabel;
    SymbolView* currentMark;

    // The emphasized style is that of a selected row in the focused list.
    void setEmphasized(bool emphasized);

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class ProjectSetupChooserViewController : public QWidget {
    Q_OBJECT
public:
    static constexpr int contentWidth = 360;
    static constexpr int rowHeight = 34;

    ProjectSetupChooserViewController(std::function<void(const std::string&)> onChoose, std::function<void()> onCancel);

    std::function<void(const std::string& projectID)> onChoose;
    std::function<void()> onCancel;
    // Assigning calls it at once with the current size when the view is loaded.
    void setOnContentSizeChange(std::function<void(QSize)> handler);

    void update(const std::vector<OverviewProjectAssignment>& projects, const std::optional<std::string>& selectedProjectID);
    void focusSearch();
    QSize preferredContentSize() const { return preferredContentSize_; }

    const std::vector<OverviewProjectAssignment>& projects() const { return projects_; }
    const std::vector<OverviewProjectAssignment>& rows() const { return rows_; }
    bool finished() const { return finished_; }
    bool isLoaded() const { return table_ != nullptr; }
    // The list's selected row; none when no row is selected.
    std::optional<int> selectedRow() const;
    QLineEdit* searchField() const { return search_; }
    ProjectSetupChooserTable* table() const { return table_; }
    Label* emptyLabel() const { return emptyLabel_; }
    SymbolButton* closeButton() const { return closeButton_; }
    ProjectSetupChooserCell* cell(int row) const;

    void chooseSelectedRow();
    void cancelChoice();
    void moveSelection(int step);
    void rowClicked(int row);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void loadView();
    void refreshRows(bool isInventoryRefresh);
    void selectRow(std::optional<int> row);
    void updateCellStyles();
    void layoutViews();

    std::function<void(QSize)> onContentSizeChange_;
    Label* titleLabel_ = nullptr;
    SymbolButton* closeButton_ = nullptr;
    QLineEdit* search_ = nullptr;
    ProjectSetupChooserTable* table_ = nullptr;
    Label* emptyLabel_ = nullptr;
    std::vector<OverviewProjectAssignment> projects_;
    std::vector<OverviewProjectAssignment> rows_;
    std::optional<std::string> selectedProjectID_;
    bool finished_ = false;
    bool selectionInvalidatedByRefresh_ = false;
    QSize preferredContentSize_ { contentWidth, 130 };
};

} // namespace pellamor
