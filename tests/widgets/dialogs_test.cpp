// Qt's message boxes as the program shows them: wide enough for their title.
#include "widgets/dialogs.h"

#include <QMessageBox>
#include <gtest/gtest.h>

TEST(QtDialogs, AMessageBoxIsWideEnoughForItsTitle) {
    const struct {
        const char *title;
        const char *text;
    } cases[] = {
        {"嘉穗进销存", "确定"},
        {"无法连接升级服务器，请检查网络连接后再试", "失败"},
        {"数据库备份与恢复——恢复前的数据库另存在旁边", "数据库恢复成功！"},
    };
    for (const auto &c : cases) {
        QMessageBox box(QMessageBox::Information, QString::fromUtf8(c.title), QString::fromUtf8(c.text),
                        QMessageBox::Ok);
        widenForTitle(box);
        box.adjustSize();
        EXPECT_GE(box.width(), box.fontMetrics().horizontalAdvance(box.windowTitle()) + 100) << c.title;
    }
}
