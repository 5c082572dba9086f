#include "stock/goodscolumns.h"

namespace goodscolumns {

std::vector<GridColumn> columns() {
    using F = DisplayFormat;
    constexpr auto Sum = GridColumn::Footer::Sum;
    std::vector<GridColumn> list{
        GridColumn::make("a", "商 品 信 息", "名 称", 120),
        GridColumn::make("b", "商 品 信 息", "规格型号", 80),
        GridColumn::make("c", "商 品 信 息", "编 码", 110),
        GridColumn::make("d", "商 品 信 息", "类 别", 64),
        GridColumn::make("2", "进 货", "数 量", 48, F::Decimals3, Sum),
        GridColumn::make("1", "进 货", "单 价", 50),
        GridColumn::make("3", "进 货", "金 额", 80, F::Decimals2, Sum),
        GridColumn::make("5", "销 售", "数 量", 48, F::Decimals3, Sum),
        GridColumn::make("4", "销 售", "单 价", 50),
        GridColumn::make("6", "销 售", "金 额", 80, F::Decimals2, Sum),
        GridColumn::make("7", "存 货", "数 量", 48, F::Decimals3, Sum),
        GridColumn::make("8", "存 货", "金 额", 80, F::Decimals2, Sum),
        GridColumn::make("day1", "备 注", "入库日期", 76),
        GridColumn::make("g", "备 注", "供货商", 80),
        GridColumn::make("z", "备 注", "备 注", 56),
    };
    list.front().footer = GridColumn::Footer::Text;
    list[2].keptDigits = 13; // an EAN-13 bar code
    list.front().footerText = QStringLiteral("总计");
    return list;
}

const std::vector<HidingItem> &hidingItems() {
    static const std::vector<HidingItem> items{
        {QStringLiteral("N5"),
         QStringLiteral("隐藏进货单价"),
         QStringLiteral("rukuyin1"),
         {QStringLiteral("1")}},
        {QStringLiteral("N31"),
         QStringLiteral("隐藏销售单价"),
         QStringLiteral("rukuyin6"),
         {QStringLiteral("4")}},
        {QStringLiteral("N6"),
         QStringLiteral("隐藏金额"),
         QStringLiteral("rukuyin2"),
         {QStringLiteral("3"), QStringLiteral("6"), QStringLiteral("8")}},
        {QStringLiteral("N9"),
         QStringLiteral("隐藏日期"),
         QStringLiteral("rukuyin3"),
         {QStringLiteral("day1")}},
        {QStringLiteral("N10"),
         QStringLiteral("隐藏供货商"),
         QStringLiteral("rukuyin4"),
         {QStringLiteral("g")}},
        {QStringLiteral("N7"),
         QStringLiteral("隐藏备注信息"),
         QStringLiteral("rukuyin5"),
         {QStringLiteral("z")}},
    };
    return items;
}

} // namespace goodscolumns
