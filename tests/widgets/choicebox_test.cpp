// Qt's box for a choice between several buttons: the buttons in their order, the first pressed by
// Enter, Escape giving the escape choice.
#include "widgets/dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>

namespace {
const QStringList Choices = {QStringLiteral("重试"), QStringLiteral("更改连接…"), QStringLiteral("退出")};

// Runs `act` on the box once it is up, then gives its answer.
int chooseWith(const std::function<void(QMessageBox *)> &act) {
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, act] {
        if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(box);
            // A box that ignored what was done answers with its first button, not by hanging.
            QTimer::singleShot(500, box, [box] { box->buttons().constFirst()->click(); });
        }
    });
    timer->start();
    QtDialogs dialogs;
    return dialogs.choose(nullptr, QStringLiteral("无法连接数据库服务器"), QStringLiteral("标题"), Choices,
                          2);
}

QAbstractButton *buttonNamed(QMessageBox *box, const QString &text) {
    for (QAbstractButton *button : box->buttons())
        if (button->text() == text) return button;
    return nullptr;
}
} // namespace

TEST(ChoiceBox, EachButtonGivesItsIndexEnterTheFirstEscapeTheEscapeChoice) {
    for (int index = 0; index < Choices.size(); ++index) {
        const int chosen = chooseWith([index](QMessageBox *box) {
            EXPECT_EQ(box->buttons().size(), Choices.size());
            EXPECT_EQ(box->icon(), QMessageBox::Warning);
            EXPECT_EQ(box->windowTitle(), QStringLiteral("标题"));
            QTest::mouseClick(buttonNamed(box, Choices[index]), Qt::LeftButton);
        });
        EXPECT_EQ(chosen, index) << Choices[index].toStdString();
    }
    EXPECT_EQ(chooseWith([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); }), 2);
    EXPECT_EQ(chooseWith([](QMessageBox *box) {
                  EXPECT_EQ(box->defaultButton(), buttonNamed(box, Choices[0]));
                  QTest::keyClick(box, Qt::Key_Return);
              }),
              0);
}
