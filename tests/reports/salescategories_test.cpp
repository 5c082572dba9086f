// The kept category list always equals the grouped values of the whole table: after records were
// added, after a deletion it was told of, and after records went at the end unannounced.
#include "reports/salescategories.h"
#include "store/routines.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <gtest/gtest.h>

namespace {
void addCategory(Database &db, const QVariant &category) {
    ASSERT_TRUE(db.execute(QStringLiteral("insert into data1 (a,d,[3]) values ('x',?,1)"), {category}));
}

QStringList wholeTable(Database &db) {
    return routines::columnValues(db, QStringLiteral("d"), QStringLiteral("data1")).value();
}
} // namespace

TEST(SalesCategories, StayEqualToTheGroupedValuesOfTheWholeTable) {
    TestEnv env;
    Database &db = env.database();
    SalesCategories categories;
    EXPECT_EQ(categories.values(db).value(), QStringList()) << "no records";

    for (const char *name : {"电子", "文具"})
        addCategory(db, u(name));
    EXPECT_EQ(categories.values(db).value(), wholeTable(db));

    // Added since: a new one between the others, a known one, a NULL and an empty text, a byte-wise
    // order that differs from a locale's (upper-case before lower-case).
    for (const QVariant &value :
         {QVariant(u("办公")), QVariant(u("电子")), QVariant(), QVariant(QString(u(""))),
          QVariant(QStringLiteral("b")), QVariant(QStringLiteral("B"))})
        addCategory(db, value);
    EXPECT_EQ(categories.values(db).value(), wholeTable(db));

    // A deletion the list is told of.
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data1 where d=?"), {u("文具")}));
    categories.invalidate();
    EXPECT_EQ(categories.values(db).value(), wholeTable(db));

    // Records gone at the end without a word (a restored older file): read whole again.
    ASSERT_TRUE(db.execute(QStringLiteral("delete from data1 where ID=(select max(ID) from data1)")));
    EXPECT_EQ(categories.values(db).value(), wholeTable(db));
    EXPECT_FALSE(categories.values(db).value().contains(QStringLiteral("B")));
}
