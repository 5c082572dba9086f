#pragma once
// A goods-list grid over a few goods rows in a test database, shown at a fixed size.
#include "store/dataset.h"
#include "tests/support/testenv.h"
#include "widgets/datagrid.h"
#include "widgets/datasetmodel.h"

#include <QTest>
#include <memory>

inline std::vector<GridColumn> goodsColumns() {
    const QString goods = QStringLiteral("商 品 信 息");
    const QString stockIn = QStringLiteral("进 货");
    const QString sales = QStringLiteral("销 售");
    const QString stock = QStringLiteral("存 货");
    const QString remark = QStringLiteral("备 注");
    using F = GridColumn::Footer;
    auto column = [](const char *field, const QString &group, const QString &title,
                     DisplayFormat format = DisplayFormat::None, F footer = F::None) {
        GridColumn c;
        c.field = QString::fromLatin1(field);
        c.group = group;
        c.title = title;
        c.format = format;
        c.footer = footer;
        return c;
    };
    std::vector<GridColumn> columns{
        column("a", goods, QStringLiteral("名 称"), DisplayFormat::None, F::Text),
        column("b", goods, QStringLiteral("规格型号")),
        column("c", goods, QStringLiteral("编 码")),
        column("d", goods, QStringLiteral("类 别")),
        column("2", stockIn, QStringLiteral("数 量"), DisplayFormat::Decimals3, F::Sum),
        column("1", stockIn, QStringLiteral("单 价")),
        column("3", stockIn, QStringLiteral("金 额"), DisplayFormat::Decimals2, F::Sum),
        column("5", sales, QStringLiteral("数 量"), DisplayFormat::Decimals3, F::Sum),
        column("4", sales, QStringLiteral("单 价")),
        column("6", sales, QStringLiteral("金 额"), DisplayFormat::Decimals2, F::Sum),
        column("7", stock, QStringLiteral("数 量"), DisplayFormat::Decimals3, F::Sum),
        column("8", stock, QStringLiteral("金 额"), DisplayFormat::Decimals2, F::Sum),
        column("day1", remark, QStringLiteral("入库日期")),
        column("g", remark, QStringLiteral("供货商")),
        column("z", remark, QStringLiteral("备 注")),
    };
    columns[0].footerText = QStringLiteral("总计");
    columns[2].keptDigits = 13; // as the goods list keeps its bar codes
    return columns;
}

struct GoodsGrid {
    TestEnv env;
    Database &db = env.database();
    Dataset goods;
    std::unique_ptr<DataGrid> grid;

    explicit GoodsGrid(int rows = 0) {
        addGoods(db, QStringLiteral("电脑"), QStringLiteral("A1"), 10.5, 1.25, 12,
                 QStringLiteral("2014-08-03"));
        addGoods(db, QStringLiteral("鼠标"), QStringLiteral("M"), 2, 2.0004, 3, QStringLiteral("2014-08-01"));
        addGoods(db, QStringLiteral("键盘"), QStringLiteral("K"), 1, 7, 2, QStringLiteral("2014-08-02"));
        for (int i = 0; i < rows; ++i)
            addGoods(db, QStringLiteral("货%1").arg(i), QString(), 1, 1, 1, QStringLiteral("2014-07-01"));
        grid = makeGrid();
        grid->setDataset(&goods);
        load();
    }

    std::unique_ptr<DataGrid> makeGrid() const {
        auto made = std::make_unique<DataGrid>();
        made->setObjectName(QStringLiteral("DBGrid1"));
        made->setColumns(goodsColumns());
        made->resize(900, 300);
        made->show();
        [[maybe_unused]] const bool exposed = QTest::qWaitForWindowExposed(made.get());
        return made;
    }

    void load(const QString &statement = QStringLiteral("select * from data order by day1")) {
        if (!goods.load(db, statement)) throw std::runtime_error(db.errorText().toStdString());
        grid->reload();
    }

    int column(const char *field) const { return grid->columnOfField(QString::fromLatin1(field)); }
    QString cell(int row, const char *field) const {
        return grid->datasetModel()->cellText(row, column(field));
    }
    QString footer(const char *field) const { return grid->datasetModel()->footerText(column(field)); }
};
