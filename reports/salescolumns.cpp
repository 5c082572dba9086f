#include "reports/salescolumns.h"

namespace salescolumns {

namespace {
QStringList fields(std::initializer_list<const char *> names) {
    QStringList list;
    for (const char *name : names)
        list << QString::fromLatin1(name);
    return list;
}
} // namespace

std::vector<GridColumn> columns() {
    using F = DisplayFormat;
    constexpr auto Sum = GridColumn::Footer::Sum;
    std::vector<GridColumn> list{
        GridColumn::make("a", "商 品 信 息", " 名 称", 120),
        GridColumn::make("b", "商 品 信 息", "规格型号", 80),
        GridColumn::make("c", "商 品 信 息", " 编 码", 110),
        GridColumn::make("d", "商 品 信 息", "类 别", 64),
        GridColumn::make("2", "销 售 信 息", "单 价", 50),
        GridColumn::make("3", "销 售 信 息", "数 量", 48, F::Decimals3, Sum),
        GridColumn::make("4", "销 售 信 息", "金 额", 70, F::Decimals2, Sum),
        GridColumn::make("day1", "销 售 信 息", "日 期", 76),
        GridColumn::make("6", "销 售 信 息", "欠款额", 60, F::Decimals2, Sum),
        GridColumn::make("a5", "销 售 信 息", "净利润", 60, F::None, Sum),
        GridColumn::make("z", "销 售 信 息", "单 号", 100),
        GridColumn::make("g", "客 户", "名 称", 70),
        GridColumn::make("i", "客 户", "联系方式", 80),
        GridColumn::make("h", "客 户", "地 址", 90),
        GridColumn::make("j", "客 户", "备 注", 60),
    };
    list.front().footer = GridColumn::Footer::Text;
    list.front().footerText = QStringLiteral("合计");
    // The sale number is shown only through its item.
    list[10].visible = false;
    return list;
}

const std::vector<Item> &items() {
    static const std::vector<Item> table{
        {QStringLiteral("N5"), QStringLiteral("隐藏销售单价"), QStringLiteral("xiaoshouyin1"), fields({"2"})},
        {QStringLiteral("N13"), QStringLiteral("隐藏销售日期"), QStringLiteral("xiaoshouyin2"),
         fields({"day1"})},
        {QStringLiteral("N12"), QStringLiteral("隐藏欠款"), QStringLiteral("xiaoshouyin3"), fields({"6"})},
        {QStringLiteral("N11"), QStringLiteral("隐藏净利润"), QStringLiteral("xiaoshouyin4"), fields({"a5"})},
        {QStringLiteral("N6"), QStringLiteral("隐藏全部客户信息"), QStringLiteral("xiaoshouyin5"),
         fields({"g", "i", "h", "j"})},
        {QStringLiteral("N10"), QStringLiteral("显示客户编号"), QStringLiteral("xiaoshouyin6"), fields({"z"}),
         true},
        {QStringLiteral("N9"), QStringLiteral("隐藏客户名称"), QStringLiteral("xiaoshouyin7"), fields({"g"})},
        {QStringLiteral("N8"), QStringLiteral("隐藏联系方式"), QStringLiteral("xiaoshouyin8"), fields({"i"})},
        {QStringLiteral("N16"), QStringLiteral("隐藏地址"), QStringLiteral("xiaoshouyin9"), fields({"h"})},
        {QStringLiteral("N17"), QStringLiteral("隐藏备注"), QStringLiteral("xiaoshouyin10"), fields({"j"})},
    };
    return table;
}

const Item *findItem(const QString &item) {
    for (const Item &candidate : items())
        if (candidate.item == item) return &candidate;
    return nullptr;
}

QStringList showAllFields() {
    return fields({"b", "c", "d", "2", "3", "4", "day1", "6", "a5", "g", "i", "h", "j"});
}

} // namespace salescolumns
