#pragma once
// The texts of an ordinary receipt of 2014-08-12 by 张三, for tests that change only what they look at.
#include "printing/receipt.h"
#include "tests/support/typing.h"

#include <QDateTime>

inline receipt::Content ordinaryReceipt() {
    receipt::Content content;
    content.title = u("POS小票销售单");
    content.slogan1 = u("嘉穗进销存软件提供技术支持");
    content.slogan2 = u("官网：http://www.jiasuisoft.cn");
    content.closing = u("欢迎下次惠顾！");
    content.saleNumber = QStringLiteral("20140812001");
    content.cashier = u("张三");
    content.printedAt = QDateTime(QDate(2014, 8, 12), QTime(10, 30, 5));
    return content;
}
