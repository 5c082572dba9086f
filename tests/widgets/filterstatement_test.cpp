// The conditions the filter fields of the lists add to their statements: typed texts as bound "like"
// patterns on either side of their " and ", and a date range that only real dates make.
#include "widgets/filterstatement.h"

#include <gtest/gtest.h>

namespace {

TEST(FilterStatement, EachTypedTextIsABoundPatternJoinedOnTheListsSide) {
    const QString empty, name = QStringLiteral("d_n%"), code = QStringLiteral("x'; drop table data; --");
    const struct {
        FilterStatement::Join join;
        const char *start;
        const char *text;
    } cases[] = {
        {FilterStatement::Join::AndBefore, "where [2]>0", "where [2]>0 and e like ? and c like ?"},
        {FilterStatement::Join::AndAfter, "where ", "where e like ? and c like ? and "},
    };
    for (const auto &c : cases) {
        FilterStatement statement{QString::fromLatin1(c.start), {}};
        statement.addLikes({{empty, "d"}, {name, "e"}, {code, "c"}, {empty, "f"}}, c.join);
        EXPECT_EQ(statement.text, QString::fromLatin1(c.text));
        // The typed text travels whole, its own % and _ included, never inside the statement.
        EXPECT_EQ(statement.binds,
                  (QVariantList{QStringLiteral("%d_n%%"), QStringLiteral("%x'; drop table data; --%")}));
    }
}

TEST(FilterStatement, ADateRangeIsWrittenOnlyWhenOnAndMadeOfRealDates) {
    const struct {
        bool on;
        const char *from;
        const char *to;
        bool built;
        FilterStatement::DateProblem problem;
        const char *text;
    } cases[] = {
        {true, "2014-08-01", "2014-08-31", true, FilterStatement::DateProblem::None,
         "x and day1>=#2014-08-01# and day1<=#2014-08-31#"},
        {true, " 2014-08-01 ", "2014-08-31\t", true, FilterStatement::DateProblem::None,
         "x and day1>=#2014-08-01# and day1<=#2014-08-31#"},
        {false, "not a date", "", true, FilterStatement::DateProblem::None, "x"},
        {true, "    -  -  ", "2014-08-31", false, FilterStatement::DateProblem::FromDate, "x"},
        {true, "2014-02-30", "", false, FilterStatement::DateProblem::FromDate, "x"},
        {true, "2014-08-01", "2014-8-3", false, FilterStatement::DateProblem::ToDate, "x"},
        {true, "2014-08-01", "2014-08-03#", false, FilterStatement::DateProblem::ToDate, "x"},
    };
    for (const auto &c : cases) {
        FilterStatement statement{QStringLiteral("x"), {QStringLiteral("%a%")}};
        FilterStatement::DateProblem problem = FilterStatement::DateProblem::ToDate;
        EXPECT_EQ(
            statement.addDateRange(c.on, QString::fromLatin1(c.from), QString::fromLatin1(c.to), &problem),
            c.built)
            << c.from << " " << c.to;
        EXPECT_EQ(problem, c.problem) << c.from << " " << c.to;
        EXPECT_EQ(statement.text, QString::fromLatin1(c.text)) << c.from << " " << c.to;
        EXPECT_EQ(statement.binds, QVariantList{QStringLiteral("%a%")}) << "dates are constants, not binds";
    }
}

} // namespace
