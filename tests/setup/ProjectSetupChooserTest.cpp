#include "setup/ProjectSetupChooser.h"
#include "support/TestMac.h"
#include "ui/Label.h"
#include "ui/SymbolButton.h"
#include "ui/SymbolView.h"
#include "support/WidgetApplication.h"

#include <QApplication>
#include <QLineEdit>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace pellamor {
namespace {

OverviewProjectAssignment row(const std::string& id, const std::string& name, const std::string& path = "~/src")
{
    OverviewProjectAssignment project;
    project.id = id;
    project.name = name;
    project.path = path;
    return project;
}

class ProjectSetupChooserTest : public ::testing::Test {
protected:
    ProjectSetupChooserTest()
        : chooser(std::make_unique<ProjectSetupChooserViewController>(
            [this](const std::string& id) { chosen.push_back(id); }, [this] { ++cancelled; }))
    {
    }

    std::vector<std::string> ids() const
    {
        std::vector<std::string> listed;
        for (const auto& project : chooser->rows())
            listed.push_back(project.id);
        return listed;
    }
    void type(const char* text) { QTest::keyClicks(chooser->searchField(), text); }
    void key(Qt::Key pressed) { QTest::keyClick(chooser->searchField(), pressed); }

    test::WidgetApplication application;
    test::TestMac mac;
    std::vector<std::string> chosen;
    int cancelled = 0;
    std::unique_ptr<ProjectSetupChooserViewController> chooser;
};

TEST_F(ProjectSetupChooserTest, ListsEachIdOnceSortedAsTheFinderDoes)
{
    chooser->update({ row("b", "Same"), row("10", "Projet 10"), row("", "No id"), row("2", "projet 2"),
                        row("b", "Later copy"), row("a", "Same") },
        std::nullopt);
    EXPECT_EQ(ids(), std::vector<std::string>({ "2", "10", "a", "b" }));
    EXPECT_EQ(chooser->selectedRow(), 0);
}

TEST_F(ProjectSetupChooserTest, SearchIgnoresCaseAndAccentsAndMatchesThePath)
{
    chooser->update({ row("e", "Équipe"), row("p", "Projet", "~/src/cafe"), row("o", "Other") }, std::nullopt);
    type("equ");
    EXPECT_EQ(ids(), std::vector<std::string>({ "e" }));
    chooser->searchField()->clear();
    type("CAFÉ");
    EXPECT_EQ(ids(), std::vector<std::string>({ "p" }));
    type("zzz");
    EXPECT_TRUE(ids().empty());
    EXPECT_TRUE(chooser->emptyLabel()->isVisibleTo(chooser.get()));
    EXPECT_EQ(chooser->emptyLabel()->text(), "Aucun projet ne correspond à cette recherche.");
    chooser->searchField()->setText("   ");
    EXPECT_EQ(ids().size(), 3u);
}

TEST_F(ProjectSetupChooserTest, ItsHeightFollowsTheRowsUpToEight)
{
    chooser->update({}, std::nullopt);
    EXPECT_EQ(chooser->preferredContentSize(), QSize(360, 130));
    EXPECT_EQ(chooser->emptyLabel()->text(), "Aucun projet disponible");
    chooser->update({ row("a", "A") }, std::nullopt);
    EXPECT_EQ(chooser->preferredContentSize(), QSize(360, 120));
    std::vector<OverviewProjectAssignment> many;
    for (int index = 0; index < 20; ++index)
        many.push_back(row(std::to_string(index), "P" + std::to_string(index)));
    std::vector<QSize> told;
    chooser->setOnContentSizeChange([&](QSize size) { told.push_back(size); });
    chooser->update({ many.begin(), many.begin() + 8 }, std::nullopt);
    EXPECT_EQ(chooser->preferredContentSize(), QSize(360, 358));
    chooser->update(many, std::nullopt);
    EXPECT_EQ(chooser->preferredContentSize(), QSize(360, 358));
    EXPECT_EQ(told.front(), QSize(360, 120));
    EXPECT_EQ(told.back(), QSize(360, 358));
}

TEST_F(ProjectSetupChooserTest, ALongNameEndsInAnEllipsisClearOfTheScrollBar)
{
    std::vector<OverviewProjectAssignment> many { row("ibis",
        "Ibis — outils internes de l’équipe données (ETL, tableaux de bord)",
        "~/src/ibis-outils-internes-equipe-donnees-etl-tableaux-de-bord") };
    for (int index = 0; index < 11; ++index)
        many.push_back(row(std::to_string(index), "Zèbre " + std::to_string(index)));
    chooser->update(many, std::nullopt);
    chooser->show();
    QApplication::processEvents();
    ASSERT_TRUE(chooser->table()->verticalScrollBar()->isVisible());
    QWidget* shown = chooser->table()->viewport();
    EXPECT_TRUE(chooser->cell(0)->nameLabel->shownLines().value(0).endsWith(u'…'));
    for (Label* label : { chooser->cell(0)->nameLabel, chooser->cell(0)->pathLabel })
        EXPECT_LE(label->mapTo(shown, QPoint(label->width(), 0)).x(), shown->width()) << label->text();
}

TEST_F(ProjectSetupChooserTest, OpensOnTheCurrentProjectAndAnUpdateKeepsOrDropsTheHighlight)
{
    chooser->update({ row("a", "A"), row("b", "B"), row("c", "C") }, std::string("b"));
    EXPECT_EQ(chooser->selectedRow(), 1);
    EXPECT_FALSE(chooser->cell(1)->currentMark->isHidden());
    EXPECT_TRUE(chooser->cell(0)->currentMark->isHidden());
    key(Qt::Key_Down);
    EXPECT_EQ(chooser->selectedRow(), 2);
    chooser->update({ row("a", "A"), row("c", "C") }, std::string("b"));
    EXPECT_EQ(chooser->selectedRow(), 1);
    chooser->update({ row("a", "A") }, std::string("a"));
    EXPECT_FALSE(chooser->selectedRow());
    key(Qt::Key_Down);
    EXPECT_EQ(chooser->selectedRow(), 0);
}

TEST_F(ProjectSetupChooserTest, TheSelectedRowIsEmphasizedExactlyWhileTheListHasTheFocus)
{
    chooser->update({ row("a", "A"), row("b", "B") }, std::string("b"));
    chooser->show();
    QApplication::setActiveWindow(chooser.get());
    auto emphasized = [this](int at) {
        ProjectSetupChooserCell* cell = chooser->cell(at);
        bool name = cell->nameLabel->colorRole() == ColorRole::alternateSelectedControlText;
        EXPECT_EQ(cell->pathLabel->colorRole() == ColorRole::alternateSelectedControlText, name);
        EXPECT_EQ(cell->currentMark->tint() == ColorRole::alternateSelectedControlText, name);
        return name;
    };
    chooser->focusSearch();
    EXPECT_FALSE(emphasized(1));
    EXPECT_EQ(chooser->cell(1)->nameLabel->colorRole(), ColorRole::label);
    EXPECT_EQ(chooser->cell(1)->pathLabel->colorRole(), ColorRole::secondaryLabel);
    EXPECT_EQ(chooser->cell(1)->currentMark->tint(), ColorRole::accent);
    chooser->table()->setFocus();
    EXPECT_TRUE(emphasized(1));
    EXPECT_FALSE(emphasized(0));
    chooser->searchField()->setFocus();
    EXPECT_FALSE(emphasized(1));
    chooser->table()->setFocus();
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    EXPECT_FALSE(emphasized(1));
}

TEST_F(ProjectSetupChooserTest, OnlyTheSelectedRowOfTheFocusedListIsEmphasized)
{
    chooser->update({ row("a", "A"), row("b", "B"), row("c", "C") }, std::string("b"));
    chooser->show();
    QApplication::setActiveWindow(chooser.get());
    ASSERT_TRUE(chooser->table());
    chooser->table()->setFocus();
    ASSERT_TRUE(chooser->table()->hasFocus());
    auto emphasized = [&](int row) {
        return chooser->cell(row)->nameLabel->colorRole() == ColorRole::alternateSelectedControlText;
    };
    EXPECT_FALSE(emphasized(0));
    QTest::keyClick(chooser->table(), Qt::Key_Down);
    ASSERT_EQ(chooser->selectedRow(), 2);
    EXPECT_TRUE(emphasized(2));
    EXPECT_FALSE(emphasized(1)) << "the row left behind is drawn plain again";
    EXPECT_EQ(chooser->cell(1)->pathLabel->colorRole(), ColorRole::secondaryLabel);
    chooser->update({ row("a", "A"), row("b", "B"), row("c", "C") }, std::string("b"));
    EXPECT_TRUE(emphasized(2)) << "rows made anew keep the selection's look";
    QTest::keyClick(chooser->table(), Qt::Key_Home);
    EXPECT_TRUE(emphasized(0));
}

TEST_F(ProjectSetupChooserTest, ArrowsStopAtTheEndsAndUpWithoutSelectionTakesTheLast)
{
    chooser->update({ row("a", "A"), row("b", "B"), row("c", "C") }, std::string("c"));
    key(Qt::Key_Down);
    EXPECT_EQ(chooser->selectedRow(), 2);
    chooser->update({ row("a", "A"), row("b", "B") }, std::nullopt);
    EXPECT_FALSE(chooser->selectedRow());
    key(Qt::Key_Up);
    EXPECT_EQ(chooser->selectedRow(), 1);
    key(Qt::Key_Up);
    key(Qt::Key_Up);
    EXPECT_EQ(chooser->selectedRow(), 0);
}

TEST_F(ProjectSetupChooserTest, ReturnChoosesOnceAndNothingAfterwards)
{
    chooser->update({ row("a", "A"), row("b", "B") }, std::nullopt);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    key(Qt::Key_Return);
    chooser->rowClicked(0);
    chooser->cancelChoice();
    EXPECT_EQ(chosen, std::vector<std::string>({ "b" }));
    EXPECT_EQ(cancelled, 0);
    EXPECT_TRUE(chooser->finished());
}

TEST_F(ProjectSetupChooserTest, EscapeInTheSearchOrTheListAndTheCloseButtonCancelOnce)
{
    chooser->update({ row("a", "A") }, std::nullopt);
    key(Qt::Key_Escape);
    QTest::keyClick(chooser->table(), Qt::Key_Escape);
    chooser->closeButton()->click();
    EXPECT_EQ(cancelled, 1);

    ProjectSetupChooserViewController list([this](const std::string& id) { chosen.push_back(id); }, [this] { ++cancelled; });
    list.update({ row("a", "A") }, std::nullopt);
    QTest::keyClick(list.table(), Qt::Key_Escape);
    list.closeButton()->click();
    EXPECT_EQ(cancelled, 2);
    EXPECT_TRUE(chosen.empty());
}

TEST_F(ProjectSetupChooserTest, ReturnInTheListChoosesAndWhatCannotBeChosenChangesNothing)
{
    ProjectSetupChooserViewController early([this](const std::string& id) { chosen.push_back(id); }, [this] { ++cancelled; });
    early.resize(400, 300);
    early.show();
    EXPECT_FALSE(early.isLoaded()) << "shown before any project, it lays nothing out";
    QTest::keyClick(&early, Qt::Key_Escape);
    EXPECT_EQ(cancelled, 1);

    chooser->update({}, std::nullopt);
    key(Qt::Key_Down);
    key(Qt::Key_Return);
    EXPECT_FALSE(chooser->selectedRow());
    chooser->update({ row("a", "A"), row("b", "B") }, std::nullopt);
    chooser->rowClicked(2);
    chooser->rowClicked(-1);
    ASSERT_EQ(chooser->selectedRow(), 0);
    key(Qt::Key_Down);
    chooser->update({ row("a", "A") }, std::string("a"));
    ASSERT_FALSE(chooser->selectedRow());
    key(Qt::Key_Return);
    EXPECT_TRUE(chosen.empty());
    EXPECT_FALSE(chooser->finished());

    // An arrow over an empty list leaves the dropped highlight dropped.
    chooser->update({}, std::nullopt);
    key(Qt::Key_Down);
    chooser->update({ row("a", "A"), row("b", "B") }, std::nullopt);
    EXPECT_FALSE(chooser->selectedRow());

    key(Qt::Key_Down);
    QTest::keyClick(chooser->table(), Qt::Key_Return);
    EXPECT_EQ(chosen, std::vector<std::string> { "a" });
    key(Qt::Key_Down);
    EXPECT_EQ(chooser->selectedRow(), 0) << "a finished list stays as it was";
}

} // namespace
} // namespace pellamor
