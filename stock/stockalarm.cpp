#include "stock/stockalarm.h"

#include "store/numbers.h"

#include <cmath>

namespace stockalarm {

double threshold(const QString &text) {
    const auto value = num::parse(text);
    return value ? std::trunc(*value) : 0.0;
}

bool alarms(double stockQuantity, double threshold) {
    return threshold >= num::roundHalfEven(stockQuantity);
}

} // namespace stockalarm
