// Fills a shop database with realistic demo goods and two years of sales (with some returns), all
// figures in step as the program itself keeps them. For benchmarks, screenshots and trials by hand.
//
//   jsjxc_demodata <data.mdb> [goods=1000] [sales=20000] [seed=1]
//
// The file is created when missing; rows are added to an existing shop database.
#include "store/clock.h"
#include "store/database.h"
#include "store/numbers.h"
#include "store/pinyin.h"

#include <QCoreApplication>
#include <QDate>
#include <algorithm>
#include <cstdio>
#include <random>
#include <sqlite3.h>
#include <vector>

namespace {
const char *const kNames[] = {
    "电脑",   "鼠标",   "键盘",   "U盘",    "移动硬盘", "打印纸", "墨盒", "USB线",  "耳机",     "路由器",
    "网线",   "插线板", "手机壳", "充电器", "数据线",   "显示器", "音箱", "摄像头", "笔记本",   "签字笔",
    "文件夹", "订书机", "计算器", "台灯",   "电池",     "剪刀",   "胶带", "复印纸", "光盘",     "读卡器",
    "散热器", "机箱",   "电源",   "内存条", "固态硬盘", "主板",   "显卡", "交换机", "蓝牙音箱", "无线鼠标"};
const char *const kModels[] = {"标准型", "加厚款", "A100", "X-2", "黑色", "白色",   "大号",   "小号",
                               "2米",    "5米",    "16G",  "32G", "64G",  "升级版", "经典款", "迷你型"};
const char *const kBrands[] = {"金鹰", "华星", "蓝海", "鼎盛", "天宇", "联创", "佳美", "恒通"};
const char *const kCategories[] = {"电脑配件", "办公用品", "手机配件", "网络设备", "文具", "电子产品"};
const char *const kSuppliers[] = {"华联电子", "新星商贸", "宏达批发", "永信文具", "东方数码", "利民百货"};
const char *const kCustomers[] = {"", "", "", "张三", "李四", "王五", "赵六", "刘老板", "陈师傅", "周记商行"};

template <std::size_t N> const char *pick(const char *const (&list)[N], std::mt19937 &rng) {
    return list[std::uniform_int_distribution<std::size_t>(0, N - 1)(rng)];
}

struct Goods {
    QString a, b, c, d, day1;
    double price, salePrice, quantity, sold = 0, amount = 0;
    qint64 id = 0;
};

bool check(int rc, sqlite3 *db) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return true;
    std::fprintf(stderr, "sqlite: %s\n", sqlite3_errmsg(db));
    return false;
}

void bindText(sqlite3_stmt *s, int i, const QString &text) {
    const QByteArray bytes = text.toUtf8();
    sqlite3_bind_text(s, i, bytes.constData(), static_cast<int>(bytes.size()), SQLITE_TRANSIENT);
}
} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: jsjxc_demodata <data.mdb> [goods=1000] [sales=20000] [seed=1]\n");
        return 2;
    }
    const int goodsCount = args.value(2, QStringLiteral("1000")).toInt();
    const int salesCount = args.value(3, QStringLiteral("20000")).toInt();
    std::mt19937 rng(args.value(4, QStringLiteral("1")).toUInt());

    Database database;
    if (!database.open(args[1])) {
        std::fprintf(stderr, "%s\n", qPrintable(database.errorText()));
        return 1;
    }
    auto *db = static_cast<sqlite3 *>(database.nativeHandle());
    const QDate today = Clock::today();
    const QDate start = today.addYears(-2);
    const int span = static_cast<int>(start.daysTo(today));

    if (!check(sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr), db)) return 1;
    std::vector<Goods> goods;
    goods.reserve(static_cast<std::size_t>(goodsCount));
    sqlite3_stmt *insertGoods = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into data (a,b,c,d,e,f,g,z,[1],[2],[3],[4],[5],[6],[7],[8],day1) "
                       "values (?,?,?,?,?,?,?,?,?,?,?,?,0,0,?,?,?)",
                       -1, &insertGoods, nullptr);
    for (int i = 0; i < goodsCount; ++i) {
        Goods g;
        g.a = QString::fromUtf8(pick(kBrands, rng)) + QString::fromUtf8(pick(kNames, rng));
        g.b = QString::fromUtf8(pick(kModels, rng));
        g.c = QStringLiteral("69%1").arg(std::uniform_int_distribution<qint64>(0, 99999999999LL)(rng), 11, 10,
                                         QLatin1Char('0'));
        g.d = QString::fromUtf8(pick(kCategories, rng));
        g.price = num::round(std::uniform_real_distribution<double>(1, 500)(rng), 1);
        g.salePrice = num::round(g.price * std::uniform_real_distribution<double>(1.1, 1.6)(rng), 0);
        g.quantity = std::uniform_int_distribution<int>(20, 400)(rng);
        g.day1 = start.addDays(std::uniform_int_distribution<int>(0, span / 4)(rng)).toString(Qt::ISODate);
        const double amount = num::stored(g.price * g.quantity);
        sqlite3_reset(insertGoods);
        bindText(insertGoods, 1, g.a);
        bindText(insertGoods, 2, g.b);
        bindText(insertGoods, 3, g.c);
        bindText(insertGoods, 4, g.d);
        bindText(insertGoods, 5, pinyinInitials(g.a));
        bindText(insertGoods, 6, pinyinInitials(g.b));
        bindText(insertGoods, 7, QString::fromUtf8(pick(kSuppliers, rng)));
        bindText(insertGoods, 8, QString());
        sqlite3_bind_double(insertGoods, 9, g.price);
        sqlite3_bind_double(insertGoods, 10, g.quantity);
        sqlite3_bind_double(insertGoods, 11, amount);
        sqlite3_bind_double(insertGoods, 12, g.salePrice);
        sqlite3_bind_double(insertGoods, 13, g.quantity);
        sqlite3_bind_double(insertGoods, 14, amount);
        bindText(insertGoods, 15, g.day1);
        if (!check(sqlite3_step(insertGoods), db)) return 1;
        g.id = sqlite3_last_insert_rowid(db);
        goods.push_back(g);
    }
    sqlite3_finalize(insertGoods);

    // Sales in date order, a ticket of one to four lines at a time, numbered per day.
    std::vector<int> days(static_cast<std::size_t>(salesCount));
    for (int &d : days)
        d = std::uniform_int_distribution<int>(span / 4, span)(rng);
    std::sort(days.begin(), days.end());
    sqlite3_stmt *insertSale = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into data1 (a,b,c,d,e,f,g,h,i,j,z,[1],[2],[3],[4],a5,[6],day1,day2,data_id) "
                       "values (?,?,?,?,?,?,?,?,?,'',?,?,?,?,?,?,?,?,?,?)",
                       -1, &insertSale, nullptr);
    int lastDay = -1, counter = 0, linesLeft = 0, written = 0;
    QString customer, saleNumber;
    for (int s = 0; s < salesCount && !goods.empty(); ++s) {
        const QDate day = start.addDays(days[s]);
        if (days[s] != lastDay) {
            lastDay = days[s];
            counter = 0;
            linesLeft = 0;
        }
        if (linesLeft == 0) {
            ++counter;
            linesLeft = std::uniform_int_distribution<int>(1, 4)(rng);
            customer = QString::fromUtf8(pick(kCustomers, rng));
            saleNumber = day.toString(QStringLiteral("yyyyMMdd")) +
                         QStringLiteral("%1").arg(counter, 3, 10, QLatin1Char('0'));
        }
        --linesLeft;
        Goods &g = goods[std::uniform_int_distribution<std::size_t>(0, goods.size() - 1)(rng)];
        double q = std::uniform_int_distribution<int>(1, 3)(rng);
        const bool isReturn = g.sold >= 1 && std::uniform_int_distribution<int>(0, 49)(rng) == 0;
        if (isReturn)
            q = -1;
        else if (g.quantity - g.sold < q)
            continue;
        const double p = num::round(g.salePrice * std::uniform_real_distribution<double>(0.85, 1.0)(rng), 1);
        const double amount = num::stored(p * q);
        const double debt = std::uniform_int_distribution<int>(0, 19)(rng) == 0 ? amount : 0;
        g.sold += q;
        g.amount = num::stored(g.amount + p * q);
        sqlite3_reset(insertSale);
        bindText(insertSale, 1, g.a);
        bindText(insertSale, 2, g.b);
        bindText(insertSale, 3, g.c);
        bindText(insertSale, 4, g.d);
        bindText(insertSale, 5, pinyinInitials(g.a));
        bindText(insertSale, 6, pinyinInitials(g.b));
        bindText(insertSale, 7, customer);
        bindText(insertSale, 8, customer.isEmpty() ? QString() : QStringLiteral("市场路%1号").arg(counter));
        bindText(insertSale, 9,
                 customer.isEmpty() ? QString()
                                    : QStringLiteral("1390000%1").arg(counter, 4, 10, QLatin1Char('0')));
        bindText(insertSale, 10, saleNumber);
        sqlite3_bind_double(insertSale, 11, g.price);
        sqlite3_bind_double(insertSale, 12, p);
        sqlite3_bind_double(insertSale, 13, q);
        sqlite3_bind_double(insertSale, 14, amount);
        sqlite3_bind_double(insertSale, 15, num::round((p - g.price) * q, 2));
        sqlite3_bind_double(insertSale, 16, debt);
        bindText(insertSale, 17, day.toString(Qt::ISODate));
        bindText(insertSale, 18, g.day1);
        sqlite3_bind_int64(insertSale, 19, g.id);
        if (!check(sqlite3_step(insertSale), db)) return 1;
        ++written;
    }
    sqlite3_finalize(insertSale);

    sqlite3_stmt *update = nullptr;
    sqlite3_prepare_v2(db, "update data set [5]=?, [6]=?, [7]=?, [8]=? where ID=?", -1, &update, nullptr);
    for (const Goods &g : goods) {
        const double stock = num::round(g.quantity - g.sold, 2);
        sqlite3_reset(update);
        sqlite3_bind_double(update, 1, g.sold);
        sqlite3_bind_double(update, 2, g.amount);
        sqlite3_bind_double(update, 3, stock);
        sqlite3_bind_double(update, 4, num::stored(stock * g.price));
        sqlite3_bind_int64(update, 5, g.id);
        if (!check(sqlite3_step(update), db)) return 1;
    }
    sqlite3_finalize(update);
    if (!check(sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr), db)) return 1;
    std::printf("%d goods rows and %d sales records written to %s\n", goodsCount, written,
                qPrintable(args[1]));
    return 0;
}
