// Tooltips of cut cells: the whole text where a cell shows less of it.
#include "widgets/whole_text_tips.h"

#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTreeWidget>

namespace rivolet {
namespace {

TEST(WholeTextTips, OnlyCutCellsTellTheirWholeText) {
  QTreeWidget view;
  view.setColumnCount(1);
  view.header()->setStretchLastSection(false);
  view.setColumnWidth(0, 80);
  view.resize(200, 200);
  const QString long_title =
      "A title far too long for a column eighty pixels wide <b>as is</b>";
  view.addTopLevelItems(
      {new QTreeWidgetItem({"Short"}), new QTreeWidgetItem({long_title})});
  view.show();
  const auto tip = [&](int row) {
    return WholeTextTip(&view,
                        view.visualItemRect(view.topLevelItem(row)).center());
  };
  EXPECT_EQ(tip(0), "");
  EXPECT_EQ(tip(1), long_title);
  EXPECT_EQ(WholeTextTip(&view, {150, 180}), "");  // below the rows
}

}  // namespace
}  // namespace rivolet
