#include "setup/ProjectSetupChooser.h"

#include "assistant/Localization.h"
#include "setup/ProjectOrder.h"
#include "ui/Label.h"
#include "ui/PlainText.h"
#include "ui/StandardText.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolView.h"
#include "ui/SystemFont.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <set>

namespace pellamor {
namespace {

Label* lineLabel(double size, FontWeight weight, QWidget* parent)
{
    auto* label = new Label({}, parent);
    label->setFont(systemFont(size, weight));
    label->setWrapping(false);
    return label;
}

bool isReturn(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

} // namespace

void ProjectSetupChooserTable::keyPressEvent(QKeyEvent* event)
{
    if (isReturn(event->key())) {
        if (onChoose)
            onChoose();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        if (onCancel)
            onCancel();
        return;
    }
    QListWidget::keyPressEvent(event);
}

ProjectSetupChooserCell::ProjectSetupChooserCell(QWidget* parent)
    : QWidget(parent)
    , nameLabel(lineLabel(12, FontWeight::medium, this))
    , pathLabel(lineLabel(10, FontWeight::regular, this))
    , currentMark(new SymbolView("checkmark", 10, this))
{
    setObjectName("setup-project-row");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setEmphasized(false);
}

void ProjectSetupChooserCell::setEmphasized(bool emphasized)
{
    nameLabel->setColorRole(emphasized ? ColorRole::alternateSelectedControlText : ColorRole::label);
    pathLabel->setColorRole(emphasized ? ColorRole::alternateSelectedControlText : ColorRole::secondaryLabel);
    currentMark->setTint(emphasized ? ColorRole::alternateSelectedControlText : ColorRole::accent);
}

void ProjectSetupChooserCell::resizeEvent(QResizeEvent*)
{
    int w = width();
    int text = std::max(currentMark->isHidden() ? w - 12 : w - 34, 0);
    nameLabel->setGeometry(5, pathLabel->isHidden() ? 9 : 2, text, 17);
    pathLabel->setGeometry(5, 19, text, 13);
    currentMark->setGeometry(std::max(w - 23, 0), 11, 13, 13);
}

ProjectSetupChooserViewController::ProjectSetupChooserViewController(
    std::function<void(const std::string&)> onChoose, std::function<void()> onCancel)
    : onChoose(std::move(onChoose))
    , onCancel(std::move(onCancel))
{
}

void ProjectSetupChooserViewController::setOnContentSizeChange(std::function<void(QSize)> handler)
{
    onContentSizeChange_ = std::move(handler);
    if (isLoaded() && onContentSizeChange_)
        onContentSizeChange_(preferredContentSize_);
}

void ProjectSetupChooserViewController::update(
    const std::vector<OverviewProjectAssignment>& projects, const std::optional<std::string>& selectedProjectID)
{
    std::vector<OverviewProjectAssignment> kept;
    std::set<std::string> seen;
    for (const auto& project : projects) {
        if (project.id.empty() || !seen.insert(project.id).second)
            continue;
        kept.push_back(project);
    }
    sortProjectRows(kept);
    projects_ = std::move(kept);
    selectedProjectID_ = selectedProjectID;
    loadView();
    refreshRows(true);
}

void ProjectSetupChooserViewController::focusSearch()
{
    loadView();
    if (window()) {
        search_->setFocus(Qt::OtherFocusReason);
        search_->selectAll();
    }
}

std::optional<int> ProjectSetupChooserViewController::selectedRow() const
{
    if (!table_)
        return std::nullopt;
    int row = table_->currentRow();
    if (row < 0 || row >= static_cast<int>(rows_.size()) || !table_->item(row)->isSelected())
        return std::nullopt;
    return row;
}

ProjectSetupChooserCell* ProjectSetupChooserViewController::cell(int row) const
{
    if (!table_ || row < 0 || row >= table_->count())
        return nullptr;
    return static_cast<ProjectSetupChooserCell*>(table_->itemWidget(table_->item(row)));
}

void ProjectSetupChooserViewController::loadView()
{
    if (table_)
        return;
    setAccessibleName(PlainText::text(L("Projet à configurer")));
    resize(contentWidth, 130);
    titleLabel_ = lineLabel(13, FontWeight::semibold, this);
    titleLabel_->setText(L("Configurer un projet"));
    closeButton_ = new SymbolButton({}, this);
    closeButton_->setSymbol("xmark", 11, ImagePosition::only);
    closeButton_->setTint(ColorRole::secondaryLabel);
    closeButton_->setBordered(false);
    closeButton_->setObjectName("setup-project-cancel");
    closeButton_->setAccessibilityLabel(L("Fermer"));
    closeButton_->setToolTipText(L("Fermer"));
    connect(closeButton_, &QPushButton::clicked, this, [this] { cancelChoice(); });
    search_ = new QLineEdit(this);
    search_->setObjectName("setup-project-search");
    search_->setPlaceholderText(PlainText::text(L("Rechercher un projet")));
    search_->setAccessibleName(PlainText::text(L("Rechercher un projet")));
    search_->setClearButtonEnabled(true);
    search_->installEventFilter(this);
    connect(search_, &QLineEdit::textChanged, this, [this] {
        if (!finished_)
            refreshRows(false);
    });
    table_ = new ProjectSetupChooserTable(this);
    table_->setObjectName("setup-project-list");
    table_->setAccessibleName(PlainText::text(L("Projet à configurer")));
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setFrameShape(QFrame::NoFrame);
    table_->setSpacing(0);
    table_->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    table_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    table_->setUniformItemSizes(true);
    table_->viewport()->setAutoFillBackground(false);
    table_->setStyleSheet(QStringLiteral("QListWidget { background: transparent; }"));
    // Outside the focused list the selected row is drawn unemphasized, in a grey its plain colours stand out on.
    QPalette colours = table_->palette();
    colours.setColor(QPalette::Inactive, QPalette::Highlight, DynamicColor { ColorRole::label, 0.12 }.resolved());
    table_->setPalette(colours);
    QPointer<ProjectSetupChooserViewController> self(this);
    table_->onChoose = [self] {
        if (self)
            self->chooseSelectedRow();
    };
    table_->onCancel = [self] {
        if (self)
            self->cancelChoice();
    };
    connect(table_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { rowClicked(table_->row(item)); });
    connect(table_, &QListWidget::itemSelectionChanged, this, [this] { updateCellStyles(); });
    // The selected row is emphasized only while the list has the focus.
    table_->installEventFilter(this);
    emptyLabel_ = new Label({}, this);
    emptyLabel_->setFont(systemFont(12));
    emptyLabel_->setColorRole(ColorRole::secondaryLabel);
    emptyLabel_->setMaximumLines(2);
    emptyLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    refreshRows(false);
}

void ProjectSetupChooserViewController::refreshRows(bool isInventoryRefresh)
{
    std::optional<std::string> previous;
    if (auto row = selectedRow())
        previous = rows_[*row].id;
    std::string query = search_->text().trimmed().toStdString();
    rows_.clear();
    for (const auto& project : projects_) {
        if (query.empty() || localizedStandardContains(project.name, query)
            || localizedStandardContains(project.path, query))
            rows_.push_back(project);
    }
    {
        QSignalBlocker quiet(table_);
        table_->clear();
        for (const auto& project : rows_) {
            auto* item = new QListWidgetItem(table_);
            // The list widens a narrower row to what it shows, beside the scroll bar while there is one, and
            // never narrows a wider row, which would then run under the scroll bar.
            item->setSizeHint(QSize(1, rowHeight));
            auto* cell = new ProjectSetupChooserCell;
            cell->nameLabel->setText(project.name);
            cell->pathLabel->setText(project.path);
            cell->pathLabel->setHidden(project.path.empty());
            cell->currentMark->setHidden(!(selectedProjectID_ && *selectedProjectID_ == project.id));
            std::string tip = project.path.empty() ? project.name : project.name + "\n" + project.path;
            cell->setToolTip(PlainText::toolTip(tip));
            item->setToolTip(PlainText::toolTip(tip));
            std::string spoken = project.path.empty() ? project.name : project.name + " · " + project.path;
            cell->setAccessibleName(PlainText::text(spoken));
            item->setData(Qt::AccessibleTextRole, PlainText::text(spoken));
            table_->setItemWidget(item, cell);
        }
    }
    auto position = [this](const std::optional<std::string>& id) -> std::optional<int> {
        if (!id)
            return std::nullopt;
        for (std::size_t index = 0; index < rows_.size(); ++index) {
            if (rows_[index].id == *id)
                return static_cast<int>(index);
        }
        return std::nullopt;
    };
    std::optional<int> previousRow = position(previous);
    if (!isInventoryRefresh)
        selectionInvalidatedByRefresh_ = false;
    else if (previous && !previousRow)
        selectionInvalidatedByRefresh_ = true;
    std::optional<int> target;
    if (previousRow)
        target = previousRow;
    else if (selectionInvalidatedByRefresh_ || rows_.empty())
        target = std::nullopt;
    else if (auto current = position(selectedProjectID_))
        target = current;
    else
        target = 0;
    selectRow(target);

    emptyLabel_->setText(query.empty() ? L("Aucun projet disponible") : L("Aucun projet ne correspond à cette recherche."));
    emptyLabel_->setVisible(rows_.empty());
    table_->setVisible(!rows_.empty());

    int height = rows_.empty() ? 130 : 86 + std::min<int>(static_cast<int>(rows_.size()), 8) * rowHeight;
    preferredContentSize_ = QSize(contentWidth, height);
    if (onContentSizeChange_)
        onContentSizeChange_(preferredContentSize_);
    else if (!parentWidget())
        resize(preferredContentSize_);
    layoutViews();
}

void ProjectSetupChooserViewController::selectRow(std::optional<int> row)
{
    QSignalBlocker quiet(table_);
    if (!row) {
        table_->setCurrentRow(-1);
        table_->clearSelection();
    } else {
        table_->setCurrentRow(*row, QItemSelectionModel::ClearAndSelect);
        table_->scrollToItem(table_->item(*row));
    }
    updateCellStyles();
}

void ProjectSetupChooserViewController::updateCellStyles()
{
    std::optional<int> selected = selectedRow();
    for (int row = 0; row < table_->count(); ++row) {
        if (auto* shown = cell(row))
            shown->setEmphasized(selected == row && table_->hasFocus());
    }
}

void ProjectSetupChooserViewController::chooseSelectedRow()
{
    if (finished_)
        return;
    std::optional<int> row = selectedRow();
    if (!row)
        return;
    std::string id = rows_[*row].id;
    bool known = std::any_of(projects_.begin(), projects_.end(), [&](const auto& project) { return project.id == id; });
    if (!known)
        return;
    finished_ = true;
    onChoose(id);
}

void ProjectSetupChooserViewController::cancelChoice()
{
    if (finished_)
        return;
    finished_ = true;
    onCancel();
}

void ProjectSetupChooserViewController::rowClicked(int row)
{
    if (row < 0 || row >= static_cast<int>(rows_.size()))
        return;
    selectRow(row);
    chooseSelectedRow();
}

void ProjectSetupChooserViewController::moveSelection(int step)
{
    if (finished_ || rows_.empty())
        return;
    int last = static_cast<int>(rows_.size()) - 1;
    int target;
    if (auto row = selectedRow())
        target = std::clamp(*row + step, 0, last);
    else
        target = step > 0 ? 0 : last;
    selectionInvalidatedByRefresh_ = false;
    selectRow(target);
}

void ProjectSetupChooserViewController::resizeEvent(QResizeEvent*)
{
    layoutViews();
}

void ProjectSetupChooserViewController::layoutViews()
{
    if (!table_)
        return;
    int w = width();
    int h = height();
    titleLabel_->setGeometry(12, 12, std::max(w - 56, 0), 20);
    closeButton_->setGeometry(w - 35, 9, 24, 25);
    search_->setGeometry(12, 40, std::max(w - 24, 0), 26);
    QRect list(12, 74, std::max(w - 24, 0), std::max(h - 86, 0));
    table_->setGeometry(list);
    emptyLabel_->setGeometry(list.adjusted(4, 7, -4, -7));
}

void ProjectSetupChooserViewController::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        cancelChoice();
        return;
    }
    QWidget::keyPressEvent(event);
}

bool ProjectSetupChooserViewController::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == table_ && (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut))
        updateCellStyles();
    if (watched != search_ || event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    switch (key->key()) {
    case Qt::Key_Down:
        moveSelection(1);
        return true;
    case Qt::Key_Up:
        moveSelection(-1);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        chooseSelectedRow();
        return true;
    case Qt::Key_Escape:
        cancelChoice();
        return true;
    default:
        return false;
    }
}

} // namespace pellamor
