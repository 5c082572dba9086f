#pragma once
// A statement in the shop's SQL shape with the values bound to its "?", and the conditions the filter
// fields of a list add to it: a typed text matched anywhere in its column, and a range of dates on
// day1. The lists write their conditions in different places, so each says on which side of a
// condition its " and " stands.
#include <QString>
#include <QVariantList>
#include <initializer_list>

struct FilterStatement {
    QString text; // "?" where values go
    QVariantList binds;

    // " and column like ?" (AndBefore) or "column like ? and " (AndAfter).
    enum class Join { AndBefore, AndAfter };
    struct Like {
        const QString &typed;
        const char *column;
    };
    // One condition per non-empty text, in the order given, each with "%text%" bound: the text is
    // matched anywhere in its column, and its own % and _ stay wildcards.
    void addLikes(std::initializer_list<Like> likes, Join join);

    enum class DateProblem { None, FromDate, ToDate };
    // When `on`: " and day1>=#from# and day1<=#to#", both ends included. The dates must be real dates
    // "yyyy-mm-dd" (blanks around them are dropped); otherwise nothing is added, the answer is false
    // and *problem names the wrong one, the from date first.
    bool addDateRange(bool on, const QString &from, const QString &to, DateProblem *problem = nullptr);
};
