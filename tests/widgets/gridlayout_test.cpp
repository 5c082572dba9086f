// Column layouts in the layout file: what a save writes (literal keys, other keys kept), and what a
// restore brings back part by part.
#include "tests/widgets/goodsgrid.h"
#include "widgets/gridlayout.h"
#include "widgets/inifile.h"

#include <QFile>
#include <QHeaderView>
#include <gtest/gtest.h>

namespace {
QByteArray readAll(const QString &path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeAll(const QString &path, const QByteArray &content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList order(const DataGrid &grid) {
    QStringList fields;
    for (int visual = 0; visual < grid.horizontalHeader()->count(); ++visual)
        fields << grid.fieldOf(grid.horizontalHeader()->logicalIndex(visual));
    return fields;
}

QList<int> widths(const DataGrid &grid) {
    QList<int> list;
    for (int column = 0; column < grid.columnCountDefined(); ++column)
        list << grid.shownWidth(column);
    return list;
}

const char *const section = "ranvelgrid";
} // namespace

TEST(GridLayout, SaveWritesOneLiteralLinePerColumnAndKeepsOtherKeys) {
    GoodsGrid g;
    const QString path = g.env.file(QStringLiteral("jsjxc.ini"));
    writeAll(path, "; kept\r\n[ranvelgrid]\r\nother=1\r\nDBGrid1.a=old\r\n\r\n[ranvelgrid2]\r\n"
                   "DBGrid1.a=\xc9\xcc\r\n");
    DataGrid &grid = *g.grid;
    grid.setFitColumnsToWidth(false);
    grid.setShownWidth(g.column("z"), 150);
    grid.setColumnVisible(QStringLiteral("z"), false);
    grid.horizontalHeader()->moveSection(grid.horizontalHeader()->visualIndex(g.column("z")), 0);
    grid.setSortMarker(g.column("5"), SortMarker::Up);
    grid.setSortIndex(g.column("5"), 1);
    grid.setDropDownRows(g.column("g"), 12);
    grid.setDropDownWidth(g.column("g"), 240);

    QString error;
    ASSERT_TRUE(gridlayout::save(grid, path, QString::fromLatin1(section), &error)) << error.toStdString();
    const QByteArray written = readAll(path);
    // One line per column: position, width, marker, visible, sort index, drop-down rows and width.
    auto line = [&](const char *field, int position, const char *rest) -> QByteArray {
        const int width = grid.shownWidth(g.column(field));
        return QByteArray("\r\nDBGrid1.") + field + '=' + QByteArray::number(position) + ',' +
               QByteArray::number(width) + ',' + rest + "\r\n";
    };
    const QByteArray head = "; kept\r\n[ranvelgrid]\r\nother=1";
    EXPECT_TRUE(written.startsWith(QByteArray(head + line("a", 1, "0,1,0,7,0")))) << written.data();
    EXPECT_TRUE(written.contains("\r\nDBGrid1.z=0,150,0,0,0,7,0\r\n"));
    EXPECT_TRUE(written.contains(line("5", 8, "2,1,1,7,0")));
    EXPECT_TRUE(written.contains(line("g", 14, "0,1,0,12,240")));
    EXPECT_TRUE(written.contains(line("day1", 13, "0,1,0,7,0")));
    EXPECT_TRUE(written.contains("\r\n(Default)=0,0\r\n"));
    EXPECT_EQ(written.count("DBGrid1.a="), 2); // replaced in place, not added again
    // The other section is left byte for byte, and the new lines stay inside their own section.
    EXPECT_TRUE(written.endsWith("\r\n\r\n[ranvelgrid2]\r\nDBGrid1.a=\xc9\xcc\r\n"));

    // Saving again changes nothing.
    ASSERT_TRUE(gridlayout::save(grid, path, QString::fromLatin1(section)));
    EXPECT_EQ(readAll(path), written);
}

TEST(GridLayout, RestoreBringsBackTheSavedLayout) {
    GoodsGrid g;
    const QString path = g.env.file(QStringLiteral("layout/jsjxc.ini"));
    DataGrid &saved = *g.grid;
    QHeaderView *header = saved.horizontalHeader();
    header->moveSection(header->visualIndex(g.column("day1")), 1);
    header->moveSection(header->visualIndex(g.column("a")), 14);
    saved.setColumnVisible(QStringLiteral("g"), false);
    header->resizeSection(g.column("c"), 220);
    saved.setSortMarker(g.column("2"), SortMarker::Down);
    saved.setSortIndex(g.column("2"), 1);
    saved.setRowHeightSetting(40);
    saved.setRowLines(2);
    ASSERT_TRUE(gridlayout::save(saved, path, QString::fromLatin1(section)));

    auto restored = g.makeGrid();
    ASSERT_TRUE(gridlayout::restore(*restored, path, QString::fromLatin1(section)));
    EXPECT_EQ(order(*restored), order(saved));
    EXPECT_FALSE(restored->isColumnVisible(QStringLiteral("g")));
    EXPECT_EQ(widths(*restored), widths(saved));
    EXPECT_EQ(restored->horizontalHeader()->sectionSize(g.column("c")), 220);
    EXPECT_EQ(restored->sortMarker(g.column("2")), SortMarker::Down);
    EXPECT_EQ(restored->sortIndex(g.column("2")), 1);
    EXPECT_EQ(restored->rowHeightSetting(), 40);
    EXPECT_EQ(restored->rowLines(), 2);
    EXPECT_EQ(restored->verticalHeader()->defaultSectionSize(), 40);
    EXPECT_TRUE(restored->fitColumnsToWidth());

    // The hidden column comes back hidden even after it was shown again in the meantime.
    saved.setColumnVisible(QStringLiteral("g"), true);
    ASSERT_TRUE(gridlayout::restore(saved, path, QString::fromLatin1(section)));
    EXPECT_FALSE(saved.isColumnVisible(QStringLiteral("g")));
}

// What a user's rights withhold stays hidden, whatever a column item or a saved layout says.
TEST(GridLayout, AWithheldColumnStaysHiddenThroughARestore) {
    GoodsGrid g;
    const QString path = g.env.file(QStringLiteral("layout/jsjxc.ini"));
    ASSERT_TRUE(gridlayout::save(*g.grid, path, QString::fromLatin1(section))); // every column shown

    g.grid->withholdColumn(QStringLiteral("1"));
    g.grid->setColumnVisible(QStringLiteral("1"), true);
    EXPECT_FALSE(g.grid->isColumnVisible(QStringLiteral("1")));
    ASSERT_TRUE(gridlayout::restore(*g.grid, path, QString::fromLatin1(section)));
    EXPECT_FALSE(g.grid->isColumnVisible(QStringLiteral("1")));
    EXPECT_TRUE(g.grid->isColumnVisible(QStringLiteral("3")));
}

TEST(GridLayout, ASectionNeverSavedChangesNothing) {
    GoodsGrid g;
    const QString path = g.env.file(QStringLiteral("jsjxc.ini"));
    g.grid->horizontalHeader()->moveSection(3, 0);
    g.grid->setColumnVisible(QStringLiteral("b"), false);
    g.grid->setRowHeightSetting(33);
    const QStringList before = order(*g.grid);
    const QList<int> widthsBefore = widths(*g.grid);

    EXPECT_FALSE(gridlayout::restore(*g.grid, path, QString::fromLatin1(section))); // no file
    writeAll(path, "[ranvelgrid2]\nDBGrid1.b=0,80,0,1,0,7,0\n(Default)=0,0\n");
    EXPECT_FALSE(gridlayout::restore(*g.grid, path, QString::fromLatin1(section))); // no section
    EXPECT_EQ(order(*g.grid), before);
    EXPECT_EQ(widths(*g.grid), widthsBefore);
    EXPECT_FALSE(g.grid->isColumnVisible(QStringLiteral("b")));
    EXPECT_EQ(g.grid->rowHeightSetting(), 33);
}

TEST(GridLayout, NumbersThatDoNotParseLeaveTheirProperty) {
    GoodsGrid g;
    DataGrid &grid = *g.grid;
    grid.setFitColumnsToWidth(false);
    grid.setSortMarker(g.column("b"), SortMarker::Up);
    grid.setSortMarker(g.column("c"), SortMarker::Up);
    grid.setColumnVisible(QStringLiteral("d"), false);
    grid.setShownWidth(g.column("c"), 90);
    grid.setRowHeightSetting(33);
    const QString path = g.env.file(QStringLiteral("jsjxc.ini"));
    writeAll(path, "[RanvelGrid]\n"
                   "dbgrid1.b=x,120,abc,0,3\n"     // no position, no marker, no drop-down numbers
                   "DBGrid1.c= 0 ,wide,9,1,,,50\n" // width and marker unusable, visible, drop-down width
                   "DBGrid1.d=\n"                  // an empty line: the column is left alone
                   "(Default)=,3\n");
    ASSERT_TRUE(gridlayout::restore(grid, path, QString::fromLatin1(section)));
    EXPECT_FALSE(grid.fitColumnsToWidth()); // as it was before

    // b: stays at its place, 120 wide, marker kept, hidden, sort index 3, drop-down as it was.
    EXPECT_EQ(grid.horizontalHeader()->visualIndex(g.column("b")), 1);
    EXPECT_EQ(grid.shownWidth(g.column("b")), 120);
    EXPECT_EQ(grid.sortMarker(g.column("b")), SortMarker::Up);
    EXPECT_FALSE(grid.isColumnVisible(QStringLiteral("b")));
    EXPECT_EQ(grid.sortIndex(g.column("b")), 3);
    EXPECT_EQ(grid.dropDownRows(g.column("b")), 7);
    // c: moved to the front, width and marker kept.
    EXPECT_EQ(order(grid).first(), QStringLiteral("c"));
    EXPECT_EQ(grid.shownWidth(g.column("c")), 90);
    EXPECT_EQ(grid.sortMarker(g.column("c")), SortMarker::Up);
    EXPECT_EQ(grid.dropDownWidth(g.column("c")), 50);
    EXPECT_EQ(grid.dropDownRows(g.column("c")), 7);
    // d: untouched.
    EXPECT_FALSE(grid.isColumnVisible(QStringLiteral("d")));
    // (Default): a missing number counts 0, the grid's own height.
    EXPECT_EQ(grid.rowHeightSetting(), 0);
    EXPECT_EQ(grid.rowLines(), 3);
}

TEST(GridLayout, ColumnsMoveToTheirPositionsInIncreasingOrder) {
    GoodsGrid g;
    const QString path = g.env.file(QStringLiteral("jsjxc.ini"));
    // Applied as b to 7, day1 to 10, 5 to 14, then a to 40 (the end): in another order the columns
    // would land elsewhere.
    writeAll(path, "[ranvelgrid]\nDBGrid1.a=40\nDBGrid1.b=7\nDBGrid1.5=14\nDBGrid1.day1=10\n");
    ASSERT_TRUE(gridlayout::restore(*g.grid, path, QString::fromLatin1(section)));
    EXPECT_EQ(order(*g.grid), (QStringList{QStringLiteral("c"), QStringLiteral("d"), QStringLiteral("2"),
                                           QStringLiteral("1"), QStringLiteral("3"), QStringLiteral("b"),
                                           QStringLiteral("4"), QStringLiteral("6"), QStringLiteral("day1"),
                                           QStringLiteral("7"), QStringLiteral("8"), QStringLiteral("g"),
                                           QStringLiteral("z"), QStringLiteral("5"), QStringLiteral("a")}));
}

TEST(IniFile, ReadsKeysWithoutRegardToCaseAndAddsToTheRightSection) {
    TestEnv env;
    const QString path = env.file(QStringLiteral("x.ini"));
    writeAll(path, "[One]\nKey = some value \n\n; note\n[two]\nk=2");
    IniFile file;
    ASSERT_TRUE(file.load(path));
    EXPECT_EQ(file.value(QStringLiteral("one"), QStringLiteral("KEY")), QStringLiteral("some value"));
    EXPECT_EQ(file.value(QStringLiteral("two"), QStringLiteral("k")), QStringLiteral("2"));
    EXPECT_FALSE(file.value(QStringLiteral("one"), QStringLiteral("k")).has_value());
    EXPECT_FALSE(file.hasSection(QStringLiteral("three")));
    file.setValue(QStringLiteral("one"), QStringLiteral("(Default)"), QStringLiteral("0,0"));
    file.setValue(QStringLiteral("two"), QStringLiteral("k"), QStringLiteral("3"));
    file.setValue(QStringLiteral("three"), QStringLiteral("a.b"), QStringLiteral("1,2"));
    ASSERT_TRUE(file.save(path));
    EXPECT_EQ(readAll(path), QByteArray("[One]\nKey = some value \n(Default)=0,0\n\n; note\n[two]\nk=3\n"
                                        "[three]\na.b=1,2"));
}

TEST(IniFile, AFailedSaveLeavesTheOldFile) {
    TestEnv env;
    const QString blocker = env.file(QStringLiteral("blocker"));
    writeAll(blocker, "not a folder");
    IniFile file;
    file.setValue(QStringLiteral("s"), QStringLiteral("k"), QStringLiteral("v"));
    QString error;
    EXPECT_FALSE(file.save(blocker + QStringLiteral("/jsjxc.ini"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readAll(blocker), QByteArray("not a folder"));
}
