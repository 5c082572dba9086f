#pragma once
// The assembled main window over a temporary shop for the printing tests: two goods, the cashier
// 张三 logged in, sales made through the sale panel as the cashier makes them, and the receipt and the
// slip preview sent to PDF files.
#include "app/mainwindow.h"
#include "app/shop.h"
#include "printing/receipt.h"
#include "printing/slippreview.h"
#include "sales/salepanel.h"
#include "sales/ticketview.h"
#include "stock/goodslist.h"
#include "tests/printing/pdftext.h"
#include "tests/support/recordingshell.h"
#include "tests/support/testenv.h"
#include "tests/support/typing.h"
#include "users/loginwindow.h"
#include "users/userstore.h"
#include "widgets/datagrid.h"
#include "widgets/numberfield.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

class ShopPrintTest : public ::testing::Test {
  protected:
    ShopPrintTest() {
        pen = addGoods(env.database(), u("钢笔"), u("英雄616"), 20, 50, 36);
        notebook = addGoods(env.database(), u("笔记本"), QStringLiteral("A5"), 5, 50, 12.5);
        UserStore(env.database()).addUser(u("张三"));
    }
    ~ShopPrintTest() override {
        receipt::setRedirect({});
        slip::setPreviewRunner({});
        for (QWidget *top : QApplication::topLevelWidgets())
            if (top != window.get() && top->parent() == window.get()) top->close();
    }

    void start() {
        window->show();
        LoginWindow *login = shop->login();
        login->show();
        login->findChild<QComboBox *>(QStringLiteral("ComboBox1"))->setEditText(u("张三"));
        login->findChild<QLineEdit *>(QStringLiteral("Edit1"))->setText(QStringLiteral("659"));
        login->logIn();
        ASSERT_TRUE(login->isLoggedIn());
        login->hide();
    }

    template <typename T = QLineEdit> T *child(QWidget *in, const char *name) {
        T *found = in->findChild<T *>(QString::fromLatin1(name));
        if (!found) ADD_FAILURE() << "no control " << name;
        return found;
    }
    // Sells a goods row from the goods list through the sale panel.
    void sell(qint64 goods, const char *quantity, const QString &customer = {}) {
        DataGrid *grid = shop->goods()->grid();
        const Dataset &list = shop->goods()->goods();
        int row = -1;
        for (int r = 0; r < list.rowCount(); ++r)
            if (list.id(r) == goods) row = r;
        ASSERT_GE(row, 0);
        const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        SalePanel *sale = shop->salePanel();
        ASSERT_TRUE(sale->isVisible());
        child(sale, "Edit35")->setText(QString::fromLatin1(quantity));
        if (!customer.isEmpty()) {
            child<QComboBox>(sale, "ComboBox7")->setEditText(customer);
            child(sale, "Edit13")->setText(u("青岚路8号"));
            child(sale, "Edit14")->setText(QStringLiteral("13800000000"));
        }
        child<QToolButton>(sale, "Image3")->click();
    }
    TicketView *ticket() { return shop->ticketView(); }
    // Every receipt goes into a PDF file of its own, numbered from 1.
    void receiptsToPdf() {
        receipt::setRedirect([this](QPrinter &printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(env.file(QStringLiteral("receipt%1.pdf").arg(++receipts)));
        });
    }
    // Every previewed slip is printed from its preview into slip<n>.pdf.
    void slipsToPdf() {
        slip::setPreviewRunner([this](QPrintPreviewDialog &dialog) {
            previewParent = dialog.parentWidget();
            auto *preview = dialog.findChild<QPrintPreviewWidget *>();
            ASSERT_NE(preview, nullptr);
            preview->updatePreview();
            dialog.printer()->setOutputFormat(QPrinter::PdfFormat);
            dialog.printer()->setOutputFileName(env.file(QStringLiteral("slip%1.pdf").arg(++slips)));
            preview->print();
        });
    }
    std::vector<PdfWord> receiptWords(int n) {
        return pdfWords(env.file(QStringLiteral("receipt%1.pdf").arg(n)));
    }
    std::vector<PdfWord> slipWords(int n) { return pdfWords(env.file(QStringLiteral("slip%1.pdf").arg(n))); }

    TestEnv env;
    RecordingShell shell;
    qint64 pen = -1;
    qint64 notebook = -1;
    int receipts = 0;
    int slips = 0;
    QWidget *previewParent = nullptr;
    std::unique_ptr<MainWindow> window = std::make_unique<MainWindow>(env.database());
    Shop *shop = new Shop(env.database(), *window);
};
