#include "reports/goodssummary.h"

namespace goodssummary {

QString statement() {
    return QStringLiteral(
        "sELECT a,b,c,d, sum([2]) AS 进货数量,sum([3]) AS 进货金额,sum([5]) AS 销售数量,"
        "sum([6]) AS 销售金额, sum([7]) AS 库存数量,sum([8]) AS 库存金额 FROM data GROUP BY "
        "a,b,c,d ");
}

std::vector<GridColumn> columns() {
    const auto column = [](const char *field, const char *group, const char *title, int width) {
        GridColumn c;
        c.field = QString::fromUtf8(field);
        c.group = QString::fromUtf8(group);
        c.title = QString::fromUtf8(title);
        c.width = width;
        return c;
    };
    std::vector<GridColumn> list{
        column("a", "商 品 信 息", "名 称", 120), column("b", "商 品 信 息", "规格型号", 90),
        column("c", "商 品 信 息", "编 码", 110), column("d", "商 品 信 息", "类 别", 70),
        column("进货数量", "进 货", "数 量", 60), column("进货金额", "进 货", "金 额", 80),
        column("销售数量", "销 售", "数 量", 60), column("销售金额", "销 售", "金 额", 80),
        column("库存数量", "存 货", "数 量", 60), column("库存金额", "存 货", "金 额", 80),
    };
    list.front().footer = GridColumn::Footer::Text;
    list.front().footerText = QStringLiteral("总计");
    for (std::size_t i = 4; i < list.size(); ++i) {
        list[i].footer = GridColumn::Footer::Sum;
        list[i].alignment = Qt::AlignHCenter | Qt::AlignVCenter;
    }
    return list;
}

} // namespace goodssummary
