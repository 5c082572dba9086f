// show-or-create window: one window per class, made on first use and brought back afterwards.
#include "widgets/windowopener.h"

#include <QDialog>
#include <gtest/gtest.h>
#include <memory>

namespace {
class BackupWindow : public QDialog {
    Q_OBJECT
  public:
    explicit BackupWindow(QWidget *owner) : QDialog(owner) {}
};

class DerivedBackupWindow : public BackupWindow {
    Q_OBJECT
  public:
    using BackupWindow::BackupWindow;
};

class PlainWindow : public QWidget {
    Q_OBJECT
  public:
    explicit PlainWindow(QWidget *owner) : QWidget(owner) {}
};

TEST(ShowOrCreateWindow, MakesTheWindowOnceAndBringsItBack) {
    QWidget owner;
    owner.show();
    BackupWindow *first = showOrCreateWindow<BackupWindow>(&owner);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(first->isVisible()) << "a new window appears at once";
    EXPECT_EQ(first->parentWidget(), &owner);

    first->hide();
    EXPECT_EQ(showOrCreateWindow<BackupWindow>(&owner), first);
    EXPECT_TRUE(first->isVisible());

    first->showMinimized();
    EXPECT_EQ(showOrCreateWindow<BackupWindow>(&owner), first);
    EXPECT_FALSE(first->isMinimized());
}

TEST(ShowOrCreateWindow, OnlyExactlyThatClassCounts) {
    QWidget owner;
    auto *derived = showOrCreateWindow<DerivedBackupWindow>(&owner);
    BackupWindow *plain = showOrCreateWindow<BackupWindow>(&owner);
    EXPECT_NE(static_cast<BackupWindow *>(derived), plain);
    EXPECT_EQ(showOrCreateWindow<DerivedBackupWindow>(&owner), derived);
}

TEST(ShowOrCreateWindow, AChildWidgetClassBecomesAWindow) {
    QWidget owner;
    PlainWindow *window = showOrCreateWindow<PlainWindow>(&owner);
    EXPECT_TRUE(window->isWindow());
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(showOrCreateWindow<PlainWindow>(&owner), window);
}
} // namespace

#include "windowopener_test.moc"
