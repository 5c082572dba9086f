#include "store/clock.h"

std::optional<QDateTime> &Clock::fixedMoment() {
    static std::optional<QDateTime> moment;
    return moment;
}

QDateTime Clock::now() {
    const auto &fixed = fixedMoment();
    return fixed ? *fixed : QDateTime::currentDateTime();
}

QString Clock::nowText() {
    return now().toString(QStringLiteral("yyyy-MM-dd hh:mm:ss"));
}

QString Clock::todayText() {
    return today().toString(QStringLiteral("yyyy-MM-dd"));
}

void Clock::fix(std::optional<QDateTime> moment) {
    fixedMoment() = std::move(moment);
}
