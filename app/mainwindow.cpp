#include "app/mainwindow.h"

#include "app/desktopprograms.h"
#include "app/hints.h"
#include "app/maincommands.h"
#include "app/mainstatusbar.h"
#include "store/clock.h"
#include "store/database.h"
#include "store/maker.h"
#include "store/settingsstore.h"
#include "users/userstore.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"
#include "widgets/floatingpanel.h"
#include "widgets/shell.h"
#include "widgets/successbanner.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRegularExpressionValidator>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {
const QRegularExpression &wholeNumber() {
    static const QRegularExpression pattern(QRegularExpression::anchoredPattern(QStringLiteral("\\d*")));
    return pattern;
}
} // namespace

MainWindow::MainWindow(Database &database, QWidget *parent)
    : QMainWindow(parent), m_database(database), m_commands(new MainCommands(this)),
      m_statusBar(new MainStatusBar(this)), m_hints(new Hints(this)), m_dateTimer(new QTimer(this)),
      m_normalSizeTimer(new QTimer(this)) {
    setObjectName(QStringLiteral("MainForm"));
    setWindowTitle(QStringLiteral("嘉穗进销存 V4.3.9.1(青岚纪念版)"));
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    // A window manager offers "maximise" only to a window it may resize; the border stays fixed
    // because a size dragged by hand is put back (keepNormalSize).
    setMinimumSize(ClientWidth, ClientHeight);
    resize(ClientWidth, ClientHeight);
    m_normalSizeTimer->setSingleShot(true);
    m_normalSizeTimer->setInterval(NormalSizeDelayMs);
    connect(m_normalSizeTimer, &QTimer::timeout, this, &MainWindow::keepNormalSize);
    setStatusBar(m_statusBar);
    buildCentralArea();
    connect(m_hints, &Hints::hintChanged, m_statusBar, &MainStatusBar::showHint);

    wireCommand(QStringLiteral("N21"), this, [] { Shell::instance().openUrl(maker::webAddress()); });
    wireCommand(QStringLiteral("N33"), this, [this] {
        if (!desktopprograms::startFirstFound(desktopprograms::calculators()))
            Dialogs::instance().warning(this, QStringLiteral("没有找到可以启动的计算器程序。"));
    });
    wireCommand(QStringLiteral("N29"), this, [this] {
        if (!desktopprograms::startFirstFound(desktopprograms::textEditors()))
            Dialogs::instance().warning(this, QStringLiteral("没有找到可以启动的记事本程序。"));
    });

    m_dateTimer->setObjectName(QStringLiteral("Timer1"));
    m_dateTimer->setInterval(DateRefillMs);
    connect(m_dateTimer, &QTimer::timeout, this, &MainWindow::refillEmptyDateFields);
    m_dateTimer->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildCentralArea() {
    m_host = new QWidget(this);
    m_host->setObjectName(QStringLiteral("mainArea"));
    auto *column = new QVBoxLayout(m_host);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    m_listArea = new QWidget(m_host);
    m_listArea->setObjectName(QStringLiteral("goodsListArea"));
    m_listLayout = new QVBoxLayout(m_listArea);
    m_listLayout->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_listArea);

    // The area below the list keeps its size and its place at the bottom left when the window is
    // maximised; only the list grows.
    m_lowerArea = new QWidget(m_host);
    m_lowerArea->setObjectName(QStringLiteral("lowerArea"));
    m_lowerArea->setFixedWidth(ClientWidth);
    auto *lower = new QHBoxLayout(m_lowerArea);
    lower->setContentsMargins(4, 0, 4, 2);
    m_queryArea = new QWidget(m_lowerArea);
    m_queryArea->setObjectName(QStringLiteral("queryArea"));
    m_queryLayout = new QVBoxLayout(m_queryArea);
    m_queryLayout->setContentsMargins(0, 0, 0, 0);
    lower->addWidget(m_queryArea, 1);

    auto *right = new QVBoxLayout;
    right->addWidget(m_commands->toolBar());
    auto *thresholdRow = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("库存报警数量："), m_host);
    m_threshold = new QLineEdit(QStringLiteral("5"), m_host);
    m_threshold->setObjectName(QStringLiteral("Edit43"));
    m_threshold->setToolTip(QStringLiteral("修改库存报警数量，记录变成红色"));
    m_threshold->setValidator(new QRegularExpressionValidator(wholeNumber(), m_threshold));
    m_threshold->setFixedWidth(60);
    // It stores a setting: a click reaches it, a cashier's Tab never lands in it.
    m_threshold->setFocusPolicy(Qt::ClickFocus);
    label->setBuddy(m_threshold);
    m_zeroStock = new QCheckBox(QStringLiteral("不显示零库存"), m_host);
    m_zeroStock->setObjectName(QStringLiteral("CheckBox1"));
    m_zeroStock->setEnabled(false); // until the goods list reacts to it
    thresholdRow->addWidget(label);
    thresholdRow->addWidget(m_threshold);
    thresholdRow->addWidget(m_zeroStock);
    thresholdRow->addStretch(1);
    right->addLayout(thresholdRow);
    right->addStretch(1);
    lower->addLayout(right);
    column->addWidget(m_lowerArea, 1, Qt::AlignLeft);

    setCentralWidget(m_host);
    m_banner = new SuccessBanner(m_host);
    fitGoodsList();
}

// --- what other parts put into the window

void MainWindow::setGoodsList(QWidget *list) {
    m_listLayout->addWidget(list);
    list->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(list, &QWidget::customContextMenuRequested, this, [this, list](const QPoint &at) {
        // A scrolling list reports the place on its viewport.
        auto *area = qobject_cast<QAbstractScrollArea *>(list);
        const QWidget *origin = area ? area->viewport() : list;
        m_commands->goodsListMenu()->popup(origin->mapToGlobal(at));
    });
}

void MainWindow::setQueryBox(QWidget *box) {
    m_queryLayout->addWidget(box);
}

void MainWindow::addFloatingPanel(FloatingPanel *panel) {
    panel->setParent(m_host);
    panel->hide();
    m_banner->raise();
}

QAction *MainWindow::command(const QString &name) const {
    return m_commands->command(name);
}

void MainWindow::wireCommand(const QString &name, const QObject *context, std::function<void()> handler) {
    m_commands->wire(name, context, std::move(handler));
}

void MainWindow::addShowStep(ShowStep place, std::function<void()> step) {
    m_showSteps[place].push_back(std::move(step));
}

void MainWindow::addCloseStep(CloseStep place, std::function<void()> step) {
    m_closeSteps[place].push_back(std::move(step));
}

void MainWindow::setSkinLoader(std::function<void(const QString &)> loader) {
    m_skinLoader = std::move(loader);
}

void MainWindow::keepDateFilled(DateRole role, DateField *field) {
    m_dateFields[role] = field;
}

DateField *MainWindow::dateField(DateRole role) const {
    const auto found = m_dateFields.find(role);
    return found == m_dateFields.end() ? nullptr : found->second.data();
}

// --- controls

void MainWindow::showSuccess(const QString &text) {
    m_banner->showMessage(text);
}

void MainWindow::setOperatorName(const QString &name) {
    m_statusBar->showOperator(name);
}

// --- timers

void MainWindow::refillEmptyDateFields() {
    refillIfEmpty(DateRole::Sale);
    refillIfEmpty(DateRole::StockIn);
}

void MainWindow::refillIfEmpty(DateRole role) {
    DateField *field = dateField(role);
    if (field && field->isEmpty()) field->setDate(Clock::today());
}

void MainWindow::setAllDateFields() {
    const QDate today = Clock::today();
    for (const DateRole role : {DateRole::StockIn, DateRole::Sale, DateRole::QueryFrom, DateRole::QueryTo}) {
        if (DateField *field = dateField(role)) field->setDate(today);
    }
}

// --- show and close

void MainWindow::runShowSteps() {
    m_closeStepsDue = true;
    for (const ShowStep place : {ShowStep::ApplyColumnVisibility, ShowStep::SelectCurrentMonth,
                                 ShowStep::OpenDatasets, ShowStep::HideStockInPanel}) {
        for (const auto &step : m_showSteps[place])
            step();
    }
    m_hints->install();
    setAllDateFields();
    readStoredSettings();
    m_statusBar->showToday(Clock::todayText());
}

void MainWindow::readStoredSettings() {
    const SettingsStore &store = SettingsStore::instance();
    if (!store.exists()) return;
    const QString skin = store.read(QStringLiteral("skin"));
    if (m_skinLoader) m_skinLoader(skin);
    // The field takes only digits; a stored text of anything else leaves the preset.
    const QString threshold = store.read(QStringLiteral("number"));
    if (!threshold.isEmpty() && wholeNumber().match(threshold).hasMatch()) m_threshold->setText(threshold);
    m_session.continueFromStoredCounter(store.read(QStringLiteral("danhao")));
    m_session.takeStoredExitDate(store.read(QStringLiteral("riqi")));
}

void MainWindow::runCloseSteps() {
    m_closeStepsDue = false;
    for (const auto &step : m_closeSteps[CloseStep::CloseDatasets])
        step();
    // Each of the two writes stands alone: a failed one is reported and the other still happens.
    if (UserStore users(m_database); !users.completeLogRow(m_loginLogId))
        Dialogs::instance().error(this, users.errorText());
    const DateField *saleDate = dateField(DateRole::Sale);
    const QString lastExit = !saleDate             ? Clock::todayText()
                             : saleDate->isEmpty() ? QString()
                                                   : saleDate->text();
    QString error;
    if (!SettingsStore::instance().write(QStringLiteral("riqi"), lastExit, &error))
        Dialogs::instance().error(this, error);
}

bool MainWindow::event(QEvent *event) {
    if (event->type() == QEvent::WindowActivate) emit activated();
    // The hint panel shows the hints; status tips would cover all four panels.
    if (event->type() == QEvent::StatusTip) return true;
    return QMainWindow::event(event);
}

void MainWindow::showEvent(QShowEvent *event) {
    QMainWindow::showEvent(event);
    // Restoring from the task bar is not a new show.
    if (event->spontaneous()) return;
    runShowSteps();
    // Ask for the focus once mapped: a display without a window manager would never activate the
    // window, and the activation is what asks for the login.
    QTimer::singleShot(0, this, [this] {
        if (isVisible() && !isActiveWindow()) activateWindow();
    });
}

void MainWindow::closeEvent(QCloseEvent *event) {
    if (m_closeStepsDue) runCloseSteps();
    event->accept();
    emit closed();
}

void MainWindow::resizeEvent(QResizeEvent *event) {
    QMainWindow::resizeEvent(event);
    fitGoodsList();
    // Once the resizing has stopped: a drag ends many resizes, a maximise changes the state too.
    m_normalSizeTimer->start();
}

void MainWindow::fitGoodsList() {
    m_listArea->setFixedHeight(std::max(0, height() - LowerAreaHeight));
}

bool MainWindow::keepNormalSize() {
    const QSize normal(ClientWidth, ClientHeight);
    if (windowState() & (Qt::WindowMaximized | Qt::WindowFullScreen | Qt::WindowMinimized)) return false;
    if (!isVisible() || size() == normal) {
        m_refusedSize = QSize();
        return false;
    }
    // A window manager that will not give the window its size (a small screen) is asked once only.
    if (size() == m_refusedSize) return false;
    m_refusedSize = size();
    resize(normal);
    return true;
}

void MainWindow::changeEvent(QEvent *event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) m_normalSizeTimer->start();
}
