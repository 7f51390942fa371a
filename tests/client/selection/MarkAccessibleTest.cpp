// The drive tree and the file list through the accessibility interfaces a screen reader uses.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QHeaderView>
#include <QTableView>
#include <QTest>
#include <QTreeView>

#include "tests/client/selection/ViewsFixture.h"
#include "tests/support/GuiTest.h"

namespace arkvale {
namespace {

using Strings = std::vector<std::string>;

class MarkAccessibleTest : public test::ViewsFixture {
 protected:
  void SetUp() override {
    ViewsFixture::SetUp();
    MakeViews();
    // C:\data holds a.txt chosen alone; C:\pair is ticked.
    Select("C:\\data");
    files->ClickRow(Row("a.txt"));
    ToggleBox("C:\\pair");
  }

  // The shown item or cell of view with this text.
  static QAccessibleInterface* Named(QWidget* view, const QString& name) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view);
    for (int i = 0; i < iface->childCount(); ++i) {
      QAccessibleInterface* child = iface->child(i);
      if (child != nullptr && child->text(QAccessible::Name) == name) return child;
    }
    ADD_FAILURE() << "no accessible item " << name.toStdString();
    return nullptr;
  }

  static std::string Mark(QWidget* view, const QString& name) {
    QAccessibleInterface* item = Named(view, name);
    if (item == nullptr) return "missing";
    const QAccessible::State st = item->state();
    if (!st.checkable) return "not checkable";
    return st.checked ? "checked" : st.checkStateMixed ? "mixed" : "unchecked";
  }

  static void Toggle(QWidget* view, const QString& name) {
    QAccessibleInterface* item = Named(view, name);
    ASSERT_NE(item, nullptr);
    ASSERT_NE(item->actionInterface(), nullptr);
    ASSERT_EQ(item->actionInterface()->actionNames(),
              QStringList{QAccessibleActionInterface::toggleAction()});
    item->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
  }
};

TEST_F(MarkAccessibleTest, TreeItemsReportTheirMarkAndToggleIt) {
  EXPECT_EQ(Mark(tree.get(), "data"), "mixed");
  EXPECT_EQ(Mark(tree.get(), "pair"), "checked");
  EXPECT_EQ(Mark(tree.get(), "empty"), "unchecked");
  EXPECT_EQ(Mark(tree.get(), "C:\\"), "mixed");

  Toggle(tree.get(), "empty");
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair", "C:\\empty"}));
  EXPECT_EQ(Mark(tree.get(), "empty"), "checked");
  Toggle(tree.get(), "pair");
  EXPECT_EQ(ChosenDirectories(), Strings{"C:\\empty"});
  EXPECT_EQ(Mark(tree.get(), "pair"), "unchecked");
}

TEST_F(MarkAccessibleTest, FileRowsReportTheirMarkAndToggleIt) {
  Select("C:\\data");
  EXPECT_EQ(Mark(files.get(), "a.txt"), "checked");
  EXPECT_EQ(Mark(files.get(), "b.txt"), "unchecked");
  EXPECT_EQ(Mark(files.get(), "Size"), "not checkable");
  Toggle(files.get(), "b.txt");
  EXPECT_EQ(ChosenFiles(), (Strings{"C:\\data\\a.txt", "C:\\data\\b.txt"}));
  EXPECT_EQ(Mark(files.get(), "b.txt"), "checked");
}

TEST_F(MarkAccessibleTest, SpaceTogglesTheCurrentMark) {
  Select("C:\\data");
  const int b = Row("b.txt");
  files->setCurrentIndex(files->model()->index(b, 0));
  QTest::keyClick(files.get(), Qt::Key_Space);
  EXPECT_EQ(ChosenFiles(), (Strings{"C:\\data\\a.txt", "C:\\data\\b.txt"}));
  // The keyboard keeps its place for the next key.
  EXPECT_EQ(files->currentIndex().row(), Row("b.txt"));

  tree->setCurrentItem(Item("C:\\empty"));
  QTest::keyClick(tree.get(), Qt::Key_Space);
  EXPECT_EQ(ChosenDirectories(), (Strings{"C:\\pair", "C:\\empty"}));
}

// The views' focus events name a child by its number in Qt's own layout of a tree or table
// (header cells first, then each row's cells): the numbers must mean the same items.
Strings ChildNames(QWidget* view) {
  Strings names;
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(view);
  for (int i = 0; i < iface->childCount(); ++i) {
    QAccessibleInterface* child = iface->child(i);
    names.push_back(child != nullptr ? child->text(QAccessible::Name).toStdString() : "null");
  }
  return names;
}

TEST_F(MarkAccessibleTest, ChildrenAreNumberedAsQtNumbersThem) {
  Expand("C:\\data");
  QTreeView plainTree;
  plainTree.setModel(tree->model());
  plainTree.setHeaderHidden(true);
  for (QModelIndex i = tree->model()->index(0, 0); i.isValid(); i = tree->indexBelow(i)) {
    if (tree->isExpanded(i)) plainTree.expand(i);
  }
  plainTree.doItemsLayout();
  EXPECT_EQ(ChildNames(tree.get()), ChildNames(&plainTree));
  EXPECT_GT(ChildNames(tree.get()).size(), 6u);

  Select("C:\\data");
  QTableView plainTable;
  plainTable.setModel(files->model());
  plainTable.verticalHeader()->hide();
  plainTable.doItemsLayout();
  EXPECT_EQ(ChildNames(files.get()), ChildNames(&plainTable));
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(files.get());
  EXPECT_EQ(iface->child(iface->indexOfChild(Named(files.get(), "b.txt")))->text(QAccessible::Name),
            "b.txt");
}

}  // namespace
}  // namespace arkvale
