// The README's table of the identifiers a script can reach is checked against the controls of the launched
// application, with its sheets, popovers and menus opened.
#include "desktops/ProjectDesktopAssociations.h"
#include "e2e/ShellFixture.h"
#include "overview/WindowThumbnail.h"
#include "setup/ProjectDisplayDropView.h"
#include "setup/ScreenMapView.h"
#include "ui/ControlClick.h"
#include "ui/SegmentedControl.h"
#include "ui/SheetHost.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabBar>
#include <filesystem>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

namespace pellamor::test {
namespace {

// The identifiers of the README's table, some with a placeholder such as `window-card:<window number>`.
std::vector<std::string> listedIdentifiers()
{
    std::ifstream readme(std::filesystem::path(PELLAMOR_SOURCE_RESOURCES).parent_path() / "README.md");
    std::vector<std::string> listed;
    bool inTable = false;
    for (std::string line; std::getline(readme, line);) {
        if (line.starts_with("| where | identifiers |")) {
            inTable = true;
            continue;
        }
        if (inTable && !line.starts_with('|'))
            break;
        if (!inTable)
            continue;
        // The identifiers column: every text between backquotes.
        for (std::size_t open = line.find('`', line.find('|', 1)); open != std::string::npos;) {
            std::size_t close = line.find('`', open + 1);
            listed.push_back(line.substr(open + 1, close - open - 1));
            open = line.find('`', close + 1);
        }
    }
    return listed;
}

// `<…>` in an entry of the table stands for any value.
bool matches(const std::string& identifier, const std::string& entry)
{
    std::size_t open = entry.find('<');
    if (open == std::string::npos)
        return identifier == entry;
    std::string before = entry.substr(0, open);
    std::string after = entry.substr(entry.find('>', open) + 1);
    return identifier.size() > before.size() + after.size() && identifier.starts_with(before)
        && identifier.ends_with(after);
}

// What a person clicks, types into or chooses from; labels and containers are not controls.
bool isControl(QWidget* widget)
{
    // The tab bar's own scroll buttons are Qt's.
    if (qobject_cast<QTabBar*>(widget->parentWidget()))
        return false;
    return qobject_cast<QAbstractButton*>(widget) || qobject_cast<QComboBox*>(widget)
        || qobject_cast<QLineEdit*>(widget) || qobject_cast<QPlainTextEdit*>(widget)
        || qobject_cast<QAbstractItemView*>(widget) || qobject_cast<SegmentedControl*>(widget)
        || qobject_cast<ScreenMapView*>(widget) || qobject_cast<WindowThumbnail*>(widget)
        || qobject_cast<ProjectDisplayDropView*>(widget);
}

// How many controls and menu items hold each identifier now.
std::map<std::string, int> controlIdentifiers()
{
    std::map<std::string, int> found;
    std::set<QAction*> items;
    for (QWidget* widget : QApplication::allWidgets()) {
        // Qt's own parts (the menu bar's extension button) are named "qt_…".
        if (!widget->objectName().isEmpty() && !widget->objectName().startsWith("qt_") && isControl(widget))
            ++found[widget->objectName().toStdString()];
        for (QAction* item : widget->actions()) {
            // Qt's own line-edit actions are named "_q_…".
            if (!item->objectName().isEmpty() && !item->objectName().startsWith("_q_")
                && items.insert(item).second)
                ++found[item->objectName().toStdString()];
        }
    }
    return found;
}

class ControlIdentifiersTest : public ShellFixture {
protected:
    // Twelve projects, each on a desktop of its own on the content screen but the last, whose desktop is gone:
    // more shortcuts than fit, and a project whose desktop is unavailable. Two windows of Zed outside the
    // projects make an application section of the library.
    void buildWorld()
    {
        nlohmann::json projects = nlohmann::json::object();
        ProjectDesktopAssociations store;
        sim::Display& content = mac.world().displays[1];
        for (std::uint64_t index = 0; index < 12; ++index) {
            std::string id = index == 0 ? "project-b" : "p" + std::to_string(index);
            projects[id] = { { "id", id }, { "name", index == 0 ? "B" : "Projet " + std::to_string(index) },
                { "rootPaths", nlohmann::json::array() } };
            std::uint64_t space = 12 + index;
            std::string uuid = "BBBBBBBB-0000-0000-0000-0000000000" + std::to_string(space);
            if (space > 12 && index < 11)
                content.spaces.push_back({ space, uuid, sim::desktopSpaceType });
            store.targets[id] = { ProjectDesktopAssociation { space, contentDisplay, uuid } };
        }
        writeRawState(nlohmann::json { { "local-projects", projects },
            { "selected-project", { { "type", "local" }, { "projectId", "project-b" } } } }
                .dump());
        std::optional<std::string> data = store.encodedData();
        ASSERT_TRUE(data);
        defaults().set(desktopIdentitiesKey, PlistData(data->begin(), data->end()));
        mac.world().applications.push_back(
            { 600, "com.example.zed", "Zed", "/Applications/Zed.app", ActivationPolicy::regular, 1.7e9 });
        for (std::uint32_t number : { 62u, 63u, 64u }) {
            sim::Window window;
            window.number = number;
            window.pid = 600;
            window.title = "Notes " + std::to_string(number);
            window.frame = QRectF(1500, 40, 700, 500);
            window.spaces = { number == 62 ? 12u : 1u };
            mac.world().windows.push_back(window);
        }
    }
    void choose(const std::string& name)
    {
        if (!isControlShown("setup-project-search")) {
            ASSERT_TRUE(clickControl("setup-new-project"));
        }
        collect();
        ASSERT_EQ(typeIntoControl("setup-project-search", name), ControlOutcome::done);
        ASSERT_EQ(pressKeyInControl("setup-project-search", "Return"), ControlOutcome::done);
        mac.advance(0.5);
        collect();
    }
    void collect()
    {
        QCoreApplication::sendPostedEvents();
        for (const auto& [identifier, count] : controlIdentifiers())
            seen.insert(identifier);
    }
    std::set<std::string> seen;
};

TEST_F(ControlIdentifiersTest, TheReadmeListsEveryIdentifierOfAControlAndNoOther)
{
    buildWorld();
    launch();
    mac.advance(0.2);
    std::map<std::string, int> atLaunch = controlIdentifiers();
    // The windows tab's privacy link and the settings tab's button: never both shown.
    const std::set<std::string> heldByTwo { "privacy-details" };
    for (const auto& [identifier, count] : atLaunch)
        EXPECT_EQ(count, heldByTwo.count(identifier) ? 2 : 1) << identifier << " is held by another number of controls";
    collect();

    choose("Projet 11");
    ASSERT_TRUE(clickControl("overview-actions"));
    collect();
    ASSERT_NE(QApplication::activePopupWidget(), nullptr) << "the actions of a project whose desktop is gone";
    QApplication::activePopupWidget()->close();
    choose("B");
    ASSERT_TRUE(clickControl("automatic-switching-details"));
    collect();
    ASSERT_TRUE(clickControl("automatic-switching-details"));
    ASSERT_TRUE(clickControl("open-feedback"));
    collect();
    ASSERT_TRUE(clickControl("close-feedback"));
    ASSERT_TRUE(clickControl("menu-about"));
    collect();
    ASSERT_TRUE(clickControl("alert-button-0"));
    mac.advance(0.1);
    // A confirmation's buttons from left to right: "Annuler" first.
    ASSERT_TRUE(clickControl("clear-project-assignments"));
    collect();
    QWidget* cancel = shownControl("alert-button-0");
    QWidget* confirm = shownControl("alert-button-1");
    ASSERT_TRUE(cancel && confirm);
    EXPECT_EQ(qobject_cast<QAbstractButton*>(cancel)->text(), "Annuler");
    EXPECT_LT(cancel->mapToGlobal(QPoint()).x(), confirm->mapToGlobal(QPoint()).x());
    ASSERT_TRUE(clickControl("alert-button-0"));
    mac.advance(0.1);
    selectTab(delegate->tabs, "privacy");
    ASSERT_TRUE(clickControl("review-onboarding"));
    for (int page = 0; page < 4 && isControlShown("onboarding-next"); ++page) {
        collect();
        clickControl("onboarding-next");
    }

    std::vector<std::string> listed = listedIdentifiers();
    ASSERT_FALSE(listed.empty());
    for (const std::string& entry : listed) {
        EXPECT_TRUE(std::any_of(seen.begin(), seen.end(),
            [&](const std::string& identifier) { return matches(identifier, entry); }))
            << entry << " is listed, yet no control has it";
    }
    for (const std::string& identifier : seen) {
        EXPECT_TRUE(std::any_of(listed.begin(), listed.end(),
            [&](const std::string& entry) { return matches(identifier, entry); }))
            << identifier << " is not listed";
    }
}

} // namespace
} // namespace pellamor::test
