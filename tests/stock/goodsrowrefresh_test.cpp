// One changed goods row put into the list in place: each change of the table below is applied once
// through the list's one-row refresh and compared, row by row with its totals, with the list's statement
// run again in full over the same database.
#include "stock/goodslist.h"
#include "stock/goodsquerybox.h"
#include "stock/goodsrowrefresh.h"
#include "tests/stock/stockfixture.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"
#include "widgets/datefield.h"

#include <QComboBox>
#include <QSignalSpy>
#include <functional>
#include <gtest/gtest.h>

namespace {

// Every cell, the totals, the count and the current row of two lists.
void expectSameList(const Dataset &inPlace, const Dataset &full, int expectedCurrent) {
    ASSERT_EQ(inPlace.fieldNames(), full.fieldNames());
    ASSERT_EQ(inPlace.rowCount(), full.rowCount());
    for (int row = 0; row < full.rowCount(); ++row)
        for (int c = 0; c < full.columnCount(); ++c)
            ASSERT_EQ(inPlace.value(row, c), full.value(row, c))
                << "row " << row << " column " << qPrintable(full.fieldName(c)) << ": "
                << qPrintable(inPlace.text(row, c)) << " / " << qPrintable(full.text(row, c));
    for (int c = 0; c < full.columnCount(); ++c)
        EXPECT_NEAR(inPlace.total(c), full.total(c), 1e-9) << qPrintable(full.fieldName(c));
    EXPECT_EQ(inPlace.currentRow(), expectedCurrent);
}

struct Change {
    const char *what;
    bool zeroStockHidden;
    // Sets up the list (after the goods exist): "全部记录", a "查询", a title click.
    std::function<void(StockWindow &)> list;
    // Writes the table and gives the ID of the row it changed.
    std::function<qint64(StockWindow &, const std::vector<qint64> &)> write;
    GoodsList::Step step;
};
void PrintTo(const Change &change, std::ostream *out) {
    *out << change.what;
}

// Eight goods, four of them on one day (the engine's order of equal days is their IDs), one without
// stock and one with nothing bought.
std::vector<qint64> stockTheShop(Database &db) {
    std::vector<qint64> ids;
    const struct {
        const char *name, *date, *category;
        double stock;
    } rows[] = {{"甲", "2014-08-03", "文具", 4}, {"乙", "2014-08-01", "电子", 10},
                {"丙", "2014-08-03", "文具", 0}, {"丁", "2014-08-02", "电子", 7},
                {"戊", "2014-08-03", "文具", 1}, {"己", "2014-08-05", "电子", 12},
                {"庚", "2014-08-03", "文具", 9}, {"辛", "2014-08-04", "电子", 3}};
    for (const auto &r : rows)
        ids.push_back(insertGoods(db, {.name = QString::fromUtf8(r.name),
                                       .category = QString::fromUtf8(r.category),
                                       .sold = 10 - r.stock,
                                       .salesAmount = 3 * (10 - r.stock),
                                       .stock = r.stock,
                                       .stockAmount = 2 * r.stock,
                                       .date = QString::fromUtf8(r.date)}));
    db.execute(QStringLiteral("update data set [2]=0 where a=?"), {QStringLiteral("辛")});
    return ids;
}

// A sale or a return of `quantity` of a goods row, as the sale writes its figures.
qint64 sell(Database &db, qint64 id, double quantity) {
    db.execute(
        QStringLiteral("update data set [5]=[5]+?, [6]=[6]+3*?, [7]=[7]-?, [8]=([7]-?)*[1] where ID=?"),
        {quantity, quantity, quantity, quantity, id});
    return id;
}

void runCategoryQuery(StockWindow &w, const QString &category) {
    w.list->queryBox()->category()->setEditText(category);
    ASSERT_TRUE(w.list->runQuery());
}

class GoodsRowRefreshTest : public ::testing::TestWithParam<Change> {};

TEST_P(GoodsRowRefreshTest, ShowsWhatTheStatementRunAgainShows) {
    const Change &change = GetParam();
    StockWindow w;
    const std::vector<qint64> ids = stockTheShop(w.db);
    w.list->applyLoginZeroStockPreference(change.zeroStockHidden);
    change.list(w);
    const GoodsStatement statement = w.list->lastStatement();
    const QString sortOrder = w.list->goods().sortOrder();
    ASSERT_FALSE(w.list->goods().statementOrder().isEmpty()) << "the list would always load in full";

    const qint64 changed = change.write(w, ids);
    // A row the change did not touch, changed behind the list's back: a full reload would show it.
    const qint64 untouched = changed == ids[5] ? ids[3] : ids[5];
    const QVariant remark = w.stored(untouched, "z");
    w.db.execute(QStringLiteral("update data set z='unseen' where ID=?"), {untouched});
    w.list->showChangedRow(changed, change.step);
    w.db.execute(QStringLiteral("update data set z=? where ID=?"), {remark, untouched});

    // The statement as the list runs it (on a server with the IDs as its last key).
    const GoodsStatement listed = goodsrefresh::listed(w.db, statement);
    Dataset full;
    ASSERT_TRUE(full.load(w.db, listed.text, listed.binds));
    full.sort(sortOrder);
    const int current = change.step == GoodsList::Step::All ? full.rowCount() - 1 : 0;
    expectSameList(w.list->goods(), full, full.rowCount() > 0 ? current : -1);
    EXPECT_EQ(w.list->lastStatement().text, statement.text);
    EXPECT_EQ(w.list->grid()->datasetModel()->rowCount(), full.rowCount());
    EXPECT_EQ(w.list->grid()->currentRow(), w.list->goods().currentRow());
}

const Change changes[] = {
    {"a sale that leaves the row listed", false, [](StockWindow &w) { w.list->showAll(); },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[4], 1); },
     GoodsList::Step::Query},
    {"a sale of the last stock with zero stock hidden", true, [](StockWindow &w) { w.list->showAll(); },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[4], 1); },
     GoodsList::Step::Query},
    {"a return that brings a hidden row back", true, [](StockWindow &w) { w.list->showAll(); },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[2], -1); },
     GoodsList::Step::Query},
    {"a return in a query list with zero stock hidden", true,
     [](StockWindow &w) { runCategoryQuery(w, QStringLiteral("文")); },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[2], -2); },
     GoodsList::Step::Query},
    {"a change of the figure the list is sorted by", false,
     [](StockWindow &w) {
         w.list->showAll();
         w.list->goods().sort(QStringLiteral("[7] DESC"));
         w.list->refreshGrid();
     },
     [](StockWindow &w, const std::vector<qint64> &ids) {
         w.db.execute(QStringLiteral("update data set [2]=30, [7]=27 where ID=?"), {ids[1]});
         return ids[1];
     },
     GoodsList::Step::All},
    {"a change of the date the statement orders by", false, [](StockWindow &w) { w.list->showAll(); },
     [](StockWindow &w, const std::vector<qint64> &ids) {
         w.db.execute(QStringLiteral("update data set day1='2014-08-03' where ID=?"), {ids[5]});
         return ids[5];
     },
     GoodsList::Step::All},
    {"a new entry dated among the others, sorted by name", false,
     [](StockWindow &w) {
         w.list->showAll();
         w.list->goods().sort(QStringLiteral("a"));
         w.list->refreshGrid();
     },
     [](StockWindow &w, const std::vector<qint64> &) {
         return insertGoods(w.db, {.name = QStringLiteral("丙"), .date = QStringLiteral("2014-08-02")});
     },
     GoodsList::Step::All},
    // 戊 is the third of the four 文具 rows: equal in the clicked column, the four keep their order.
    {"a sale among rows of one category after a click on its title", false,
     [](StockWindow &w) {
         w.list->showAll();
         emit w.list->grid()->sortRequested(QStringLiteral("d"));
     },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[4], 1); },
     GoodsList::Step::Query},
    {"a deletion", false, [](StockWindow &w) { w.list->showAll(); },
     [](StockWindow &w, const std::vector<qint64> &ids) {
         w.db.execute(QStringLiteral("delete from data where ID=?"), {ids[0]});
         return ids[0];
     },
     GoodsList::Step::Query},
    {"a change that takes the row out of the query's category", false,
     [](StockWindow &w) { runCategoryQuery(w, QStringLiteral("电")); },
     [](StockWindow &w, const std::vector<qint64> &ids) {
         w.db.execute(QStringLiteral("update data set d='文具' where ID=?"), {ids[3]});
         return ids[3];
     },
     GoodsList::Step::Query},
    {"a sale in a list of a date range", false,
     [](StockWindow &w) {
         GoodsQueryBox *box = w.list->queryBox();
         box->fromDate()->setText(QStringLiteral("2014-08-02"));
         box->toDate()->setText(QStringLiteral("2014-08-04"));
         box->dateRange()->setChecked(true);
         ASSERT_TRUE(w.list->runQuery());
     },
     [](StockWindow &w, const std::vector<qint64> &ids) { return sell(w.db, ids[6], 2); },
     GoodsList::Step::Query},
};

INSTANTIATE_TEST_SUITE_P(Changes, GoodsRowRefreshTest, ::testing::ValuesIn(changes),
                         [](const ::testing::TestParamInfo<Change> &info) {
                             return "Change" + std::to_string(info.index);
                         });

TEST(GoodsRowRefresh, NarrowsTheStatementToOneRowBeforeItsOrder) {
    const struct {
        const char *statement, *narrowed;
    } cases[] = {
        {"select * from data order by day1", "select * from data where ID=? order by day1"},
        {"select * from data where [7]<>0 order by day1",
         "select * from data where [7]<>0 and ID=? order by day1"},
        {"select * from data where [2]>0  and d like ?",
         "select * from data where [2]>0  and d like ? and ID=?"},
    };
    for (const auto &c : cases) {
        const GoodsStatement narrowed =
            goodsrefresh::narrowedToRow({QString::fromUtf8(c.statement), {QStringLiteral("x")}}, 42);
        EXPECT_EQ(narrowed.text, QString::fromUtf8(c.narrowed));
        EXPECT_EQ(narrowed.binds, (QVariantList{QStringLiteral("x"), 42}));
    }
}

TEST(GoodsRowRefresh, AStatementTheEngineSortsItselfLoadsInFull) {
    SKIP_ON_SERVER("reads the file engine's query plans");
    StockWindow w;
    stockTheShop(w.db);
    EXPECT_EQ(goodsrefresh::statementOrder(w.db, {QStringLiteral("select * from data order by day1"), {}}),
              QStringLiteral("day1, ID"));
    EXPECT_EQ(goodsrefresh::statementOrder(w.db, {QStringLiteral("select * from data where [2]>0 "), {}}),
              QStringLiteral("ID"));
    // Ties of a sorter come in an order nobody can repeat.
    const GoodsStatement sorted{QStringLiteral("select * from data order by a"), {}};
    EXPECT_EQ(goodsrefresh::statementOrder(w.db, sorted), QString());
    w.list->showAll();
    const qint64 id = w.list->goods().id(2);
    w.db.execute(QStringLiteral("update data set [7]=99 where ID=?"), {id});
    Dataset probe;
    ASSERT_TRUE(probe.load(w.db, sorted.text));
    w.list->goods().setStatementOrder(QString());
    EXPECT_FALSE(w.list->goods().putRow(probe, probe.rowOfId(id)));
    // Through the list: the whole list is read again, with the change.
    w.list->showChangedRow(id, GoodsList::Step::Query);
    EXPECT_EQ(w.list->goods().number(w.list->goods().rowOfId(id), QStringLiteral("7")), 99);
}

TEST(GoodsRowRefresh, OnTheServerTheListIsOrderedToItsLastKey) {
    if (!testserver::active()) GTEST_SKIP() << "the file engine's order is read from its plans";
    StockWindow w;
    stockTheShop(w.db);
    const struct {
        const char *statement, *listed, *order;
    } cases[] = {
        {"select * from data order by day1", "select * from data order by day1, ID", "day1, ID"},
        {"select * from data where [2]>0 ", "select * from data where [2]>0  order by ID", "ID"},
        {"select * from data order by [7] desc", "select * from data order by [7] desc, ID", "[7] desc, ID"},
        {"select * from data order by ID", "select * from data order by ID", "ID"},
        // An expression orders in a way the list cannot repeat: it is loaded in full.
        {"select * from data order by lower(a)", "select * from data order by lower(a)", ""},
    };
    for (const auto &c : cases) {
        const GoodsStatement listed = goodsrefresh::listed(w.db, {QString::fromUtf8(c.statement), {}});
        EXPECT_EQ(listed.text, QString::fromUtf8(c.listed));
        EXPECT_EQ(goodsrefresh::statementOrder(w.db, listed), QString::fromUtf8(c.order)) << c.statement;
    }
}

} // namespace
