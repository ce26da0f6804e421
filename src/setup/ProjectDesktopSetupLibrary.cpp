// The right column of the panel: the windows not on the selected project's screens, grouped by application,
// searched, filtered to the unassigned ones and folded section by section.
#include "setup/ProjectDesktopSetupView.h"

#include "assistant/Localization.h"
#include "assistant/TextCase.h"
#include "setup/SetupControls.h"
#include "setup/SetupPanelRules.h"
#include "ui/AppearanceSurface.h"
#include "ui/ApplicationIcon.h"
#include "ui/Label.h"
#include "ui/StandardText.h"
#include "ui/SymbolView.h"
#include "ui/SystemFont.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

namespace pellamor {
namespace {

bool sharesSpace(const DesktopWindow& window, const std::set<std::uint64_t>& spaces)
{
    return std::any_of(window.spaces.begin(), window.spaces.end(), [&](std::uint64_t s) { return spaces.count(s); });
}

} // namespace

std::string ProjectDesktopSetupView::sectionKey(const DesktopWindow& window)
{
    std::string bundle = window.bundleID.value_or("");
    return bundle.empty() ? "name:" + lowercased(window.application) : "bundle:" + lowercased(bundle);
}

std::vector<ProjectDesktopSetupView::LibrarySection> ProjectDesktopSetupView::librarySections(
    const std::vector<const DesktopWindow*>& windows)
{
    std::vector<LibrarySection> sections;
    std::map<std::string, std::size_t> index;
    for (const DesktopWindow* window : windows) {
        std::string key = sectionKey(*window);
        auto [at, added] = index.emplace(key, sections.size());
        if (added)
            sections.push_back({ key, {} });
        sections[at->second].windows.push_back(window);
    }
    std::stable_sort(sections.begin(), sections.end(), [](const LibrarySection& a, const LibrarySection& b) {
        if (a.windows.size() != b.windows.size())
            return a.windows.size() > b.windows.size();
        int order = localizedStandardCompare(a.windows.front()->application, b.windows.front()->application);
        if (order != 0)
            return order < 0;
        return a.key < b.key;
    });
    return sections;
}

std::set<std::string>& ProjectDesktopSetupView::activeCollapsedApplications()
{
    return libraryQuery_.empty() ? collapsedApplications_ : searchCollapsedApplications_;
}

std::vector<const DesktopWindow*> ProjectDesktopSetupView::listedWindows() const
{
    std::set<std::uint64_t> projectSpaces;
    for (const auto& display : displayOrder_) {
        if (auto linked = linkedDesktop(display))
            projectSpaces.insert(linked->spaceID);
    }
    std::set<std::uint64_t> assignedSpaces;
    int count = static_cast<int>(desktops_.size());
    for (const auto& assignment : assignments_) {
        for (int number : assignment.desktops) {
            if (number >= 1 && number <= 9 && number <= count
                && !SetupPanelRules::isAssistantFallback(assignment, number))
                assignedSpaces.insert(desktops_[number - 1].spaceID);
        }
    }
    std::vector<const DesktopWindow*> listed;
    for (const auto& record : records_) {
        if (sharesSpace(record, projectSpaces))
            continue;
        if (showsOnlyUnassignedWindows_ && sharesSpace(record, assignedSpaces))
            continue;
        listed.push_back(&record);
    }
    return listed;
}

void ProjectDesktopSetupView::rebuildLibrary()
{
    int offset = libraryScroll_->verticalScrollBar()->value();
    library_ = replaceDocument(libraryScroll_);
    applicationSectionButtons_.clear();
    std::string query = search_->text().trimmed().toStdString();
    if (query != libraryQuery_) {
        libraryQuery_ = query;
        searchCollapsedApplications_.clear();
    }
    std::vector<const DesktopWindow*> listed = listedWindows();
    std::vector<const DesktopWindow*> shown;
    for (const DesktopWindow* window : listed) {
        if (query.empty() || localizedStandardContains(window->application + " " + window->title, query))
            shown.push_back(window);
    }
    std::string count = std::to_string(listed.size());
    std::string title
        = showsOnlyUnassignedWindows_ ? L("Non affectées · %@", count) : L("Toutes les fenêtres · %@", count);
    libraryTitle_->setText(title);
    libraryTitle_->setToolTipText(title);
    // A narrow column shortens the words, never the count.
    std::size_t countAt = title.rfind(" · " + count);
    libraryTitle_->setKeptEnding(countAt == std::string::npos ? count : title.substr(countAt));

    int width = static_cast<int>(std::max(lastLibraryWidth_, 180.0));
    int y = 2;
    if (shown.empty()) {
        std::string empty = !inventoryHasLoaded_ ? L("Chargement des fenêtres…")
            : !query.empty()                     ? L("Aucune fenêtre ne correspond à la recherche.")
            : showsOnlyUnassignedWindows_ && !records_.empty()
            ? L("Toutes les fenêtres sont déjà affectées à un projet.")
            : L("Aucune fenêtre disponible.");
        Label* label = AppInterface::label(empty, 12, FontWeight::regular, true);
        label->setParent(library_);
        label->setFont(systemFont(12));
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        label->setGeometry(8, 14, width - 16, 46);
        label->show();
        y = 80;
    }
    std::vector<LibrarySection> sections = librarySections(shown);
    visibleApplicationSections_.clear();
    for (const auto& section : sections) {
        if (section.windows.size() >= 2)
            visibleApplicationSections_.insert(section.key);
    }
    std::optional<int> revealAt;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        const LibrarySection& section = sections[i];
        bool grouped = section.windows.size() >= 2;
        if (i > 0 && (grouped || sections[i - 1].windows.size() >= 2)) {
            QWidget* line = setupSeparator(library_);
            line->setObjectName("library-separator");
            line->setGeometry(8, y, width - 16, 1);
            line->show();
            y += 12;
        }
        if (grouped) {
            bool collapsed = activeCollapsedApplications().count(section.key) > 0;
            addSectionHeader(section, collapsed, width, y);
            y += 30;
            if (collapsed)
                continue;
        }
        for (const DesktopWindow* window : section.windows) {
            if (returnedWindowToReveal_ && *returnedWindowToReveal_ == window->id && !revealAt)
                revealAt = y;
            int number = 0;
            std::uint64_t source = 0;
            if (window->spaces.size() == 1) {
                auto found = std::find_if(desktops_.begin(), desktops_.end(),
                    [&](const NativeDesktopState& desktop) { return desktop.spaceID == window->spaces.front(); });
                if (found != desktops_.end()) {
                    number = static_cast<int>(found - desktops_.begin()) + 1;
                    source = found->spaceID;
                }
            }
            QWidget* card = windowCard(*window, source, number, false, !grouped);
            card->setParent(library_);
            card->setGeometry(1, y, width - 2, 48);
            card->show();
            y += 56;
        }
    }
    updateSectionControls();
    library_->resize(width, y);
    double contentWidth = seenWidth(libraryScroll_);
    if (contentWidth > 0 && std::abs(contentWidth - lastLibraryWidth_) > 0.5) {
        lastLibraryWidth_ = contentWidth;
        rebuildLibrary();
        return;
    }
    if (revealAt) {
        returnedWindowToReveal_.reset();
        scrollTo(libraryScroll_, std::max(*revealAt - 32, 0));
    } else {
        scrollTo(libraryScroll_, offset);
    }
}

void ProjectDesktopSetupView::addSectionHeader(const LibrarySection& section, bool collapsed, int width, int y)
{
    const DesktopWindow& first = *section.windows.front();
    auto* icon = new SymbolView("app", 14, library_);
    icon->setTint(ColorRole::secondaryLabel);
    if (auto image = ApplicationIcon::forProcess(first.pid, 16))
        icon->setImage(*image);
    icon->setGeometry(8, y + 3, 16, 16);
    icon->show();

    std::string title = first.application + " · " + std::to_string(section.windows.size());
    auto* button = new SetupApplicationSectionButton(title, library_);
    button->applicationKey = section.key;
    button->setObjectName(QString::fromStdString("application-section-" + section.key));
    button->setBordered(false);
    button->setFont(systemFont(12, FontWeight::semibold));
    button->setSymbol(collapsed ? "chevron.right" : "chevron.down", 10);
    std::string help = collapsed ? L("Déplier %@", first.application) : L("Replier %@", first.application);
    button->setToolTipText(help);
    button->setAccessibilityLabel(title + " · " + (collapsed ? L("Replié") : L("Déplié")));
    button->setAccessibleDescription(QString::fromStdString(help));
    button->setStyleSheet("text-align: left;");
    button->setTruncatesTail(true);
    button->setGeometry(30, y, width - 38, 23);
    connect(button, &QPushButton::clicked, this, [this, button] { toggleSection(button); });
    button->show();
    applicationSectionButtons_.push_back(button);
}

void ProjectDesktopSetupView::updateSectionControls()
{
    bool hidden = visibleApplicationSections_.empty();
    if (toggleSectionsButton_->isHidden() != hidden) {
        toggleSectionsButton_->setHidden(hidden);
        setNeedsLayout();
    }
    const std::set<std::string>& collapsed = activeCollapsedApplications();
    bool anyOpen = std::any_of(visibleApplicationSections_.begin(), visibleApplicationSections_.end(),
        [&](const std::string& key) { return !collapsed.count(key); });
    toggleSectionsButton_->setSymbol(anyOpen ? "chevron.up.2" : "chevron.down.2");
    std::string label = anyOpen ? L("Tout replier") : L("Tout déplier");
    toggleSectionsButton_->setToolTipText(label);
    toggleSectionsButton_->setAccessibilityLabel(label);
    toggleSectionsButton_->setEnabled(!hidden && !busy_);
    for (auto* button : applicationSectionButtons_)
        button->setEnabled(!busy_);
}

void ProjectDesktopSetupView::toggleSection(SetupApplicationSectionButton* button)
{
    if (busy_
        || std::find(applicationSectionButtons_.begin(), applicationSectionButtons_.end(), button)
            == applicationSectionButtons_.end())
        return;
    std::string key = button->applicationKey;
    if (!visibleApplicationSections_.count(key))
        return;
    bool focused = button->hasFocus();
    std::set<std::string>& collapsed = activeCollapsedApplications();
    if (!collapsed.erase(key))
        collapsed.insert(key);
    rebuildLibrary();
    if (!focused)
        return;
    for (auto* header : applicationSectionButtons_) {
        if (header->applicationKey == key)
            header->setFocus();
    }
}

void ProjectDesktopSetupView::toggleAllSections()
{
    if (busy_ || visibleApplicationSections_.empty())
        return;
    std::set<std::string>& collapsed = activeCollapsedApplications();
    bool allCollapsed = std::all_of(visibleApplicationSections_.begin(), visibleApplicationSections_.end(),
        [&](const std::string& key) { return collapsed.count(key) > 0; });
    for (const auto& key : visibleApplicationSections_) {
        if (allCollapsed)
            collapsed.erase(key);
        else
            collapsed.insert(key);
    }
    rebuildLibrary();
}

void ProjectDesktopSetupView::updateUnassignedFilterControl()
{
    bool on = !showsOnlyUnassignedWindows_;
    unassignedFilterButton_->setChecked(on);
    unassignedFilterButton_->setTint(on ? ColorRole::accent : ColorRole::secondaryLabel);
    std::string label = showsOnlyUnassignedWindows_ ? L("Afficher toutes les fenêtres")
                                                    : L("Afficher uniquement les fenêtres non affectées");
    unassignedFilterButton_->setToolTipText(label);
    unassignedFilterButton_->setAccessibilityLabel(label);
}

void ProjectDesktopSetupView::toggleUnassignedFilter()
{
    if (!busy_) {
        showsOnlyUnassignedWindows_ = !showsOnlyUnassignedWindows_;
        updateUnassignedFilterControl();
        rebuildLibrary();
        setNeedsLayout();
        return;
    }
    updateUnassignedFilterControl();
}

} // namespace pellamor
