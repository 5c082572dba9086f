#include "widgets/filterstatement.h"

#include <QDate>
#include <optional>

namespace {
// The text of a real date as the date constants need it.
std::optional<QString> dateConstant(const QString &text) {
    const QDate date = QDate::fromString(text.trimmed(), QStringLiteral("yyyy-MM-dd"));
    if (!date.isValid()) return std::nullopt;
    return date.toString(QStringLiteral("yyyy-MM-dd"));
}
} // namespace

void FilterStatement::addLikes(std::initializer_list<Like> likes, Join join) {
    for (const Like &like : likes) {
        if (like.typed.isEmpty()) continue;
        const QString condition = QLatin1String(like.column) + QStringLiteral(" like ?");
        if (join == Join::AndBefore)
            text += QStringLiteral(" and ") + condition;
        else
            text += condition + QStringLiteral(" and ");
        binds << QVariant(QStringLiteral("%") + like.typed + QStringLiteral("%"));
    }
}

bool FilterStatement::addDateRange(bool on, const QString &from, const QString &to, DateProblem *problem) {
    if (problem) *problem = DateProblem::None;
    if (!on) return true;
    const auto first = dateConstant(from);
    const auto last = dateConstant(to);
    if (!first || !last) {
        if (problem) *problem = first ? DateProblem::ToDate : DateProblem::FromDate;
        return false;
    }
    text += QStringLiteral(" and day1>=#") + *first + QStringLiteral("# and day1<=#") + *last +
            QStringLiteral("#");
    return true;
}
