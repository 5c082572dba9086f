#include "stock/stockinpanel.h"

#include "stock/goodslist.h"
#include "stock/stockin.h"
#include "store/clock.h"
#include "store/database.h"
#include "widgets/datefield.h"
#include "widgets/dialogs.h"
#include "widgets/enterchain.h"
#include "widgets/numberfield.h"
#include "widgets/requiredfield.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

using Field = StockInFigures::Field;

namespace {
QComboBox *dropDown(QWidget *parent, const char *name) {
    auto *box = new QComboBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setMinimumContentsLength(10);
    return box;
}

QPushButton *button(QWidget *parent, const char *name, const QString &caption) {
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(true); // Enter on the focused button presses it
    return b;
}
} // namespace

StockInPanel::StockInPanel(Database &database, GoodsList &goods, QWidget *parent)
    : FloatingPanel(parent), m_database(database), m_goods(goods), m_name(dropDown(this, "ComboBox3")),
      m_model(dropDown(this, "ComboBox4")), m_code(dropDown(this, "ComboBox5")),
      m_category(dropDown(this, "ComboBox2")), m_supplier(dropDown(this, "ComboBox6")),
      m_date(new DateField(this)), m_remark(new QLineEdit(this)),
      m_newEntry(button(this, "Button1", QStringLiteral("新建入库"))),
      m_change(button(this, "Button3", QStringLiteral("修改入库"))) {
    setObjectName(QStringLiteral("Panel3"));
    setToolTip(QStringLiteral("利用回车Enter键和Tab键进行切换"));
    m_name->setToolTip(QStringLiteral("直接点击已经输入好的记录，自动填充内容"));
    m_date->setObjectName(QStringLiteral("DBDateTimeEdit1"));
    m_remark->setObjectName(QStringLiteral("Edit22"));
    buildFields();
    buildLayout();

    m_figures.setChangeListener([this](Field which) {
        QLineEdit *edit = m_fields[which];
        // Only a real change is written back: setting the same text would move the cursor.
        if (edit->text() != m_figures.text(which)) edit->setText(m_figures.text(which));
    });
    for (int f = 0; f < StockInFigures::FieldCount; ++f) {
        const auto which = static_cast<Field>(f);
        connect(m_fields[which], &QLineEdit::textChanged, this,
                [this, which](const QString &text) { m_figures.set(which, text); });
    }

    const QList<QWidget *> order{m_name,
                                 m_model,
                                 m_code,
                                 m_category,
                                 m_date,
                                 m_fields[Field::PurchasePrice],
                                 m_fields[Field::Quantity],
                                 m_fields[Field::SalePrice],
                                 m_supplier,
                                 m_remark};
    auto *chain = new EnterChain(order, this);
    // From the remark to whichever button is showing; during a change that is "修改入库".
    chain->setLastAction([this] {
        if (m_newEntry->isVisibleTo(this) && m_newEntry->isEnabled())
            m_newEntry->setFocus(Qt::TabFocusReason);
        else if (m_change->isVisibleTo(this) && m_change->isEnabled())
            m_change->setFocus(Qt::TabFocusReason);
    });
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    setTabOrder(m_remark, m_newEntry);
    setTabOrder(m_newEntry, m_change);

    connect(m_newEntry, &QPushButton::clicked, this, &StockInPanel::newEntry);
    connect(m_change, &QPushButton::clicked, this, &StockInPanel::change);
    connect(this, &FloatingPanel::closeRequested, this, &StockInPanel::closedByMark);
    m_goods.setStockInPanel(this);
    m_date->setDate(Clock::today());
    clear();
    m_change->hide();
    hide();
}

void StockInPanel::buildFields() {
    const auto numeric = [this](const char *name) {
        auto *field = new NumberField(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setStepper(1, 0, 100);
        return field;
    };
    m_fields[Field::PurchasePrice] = numeric("Edit15");
    m_fields[Field::Quantity] = numeric("Edit1");
    m_fields[Field::SalePrice] = numeric("Edit9");
    // The working fields hold the computed figures that are written; the user never sees them.
    const std::pair<Field, const char *> working[] = {{Field::PurchaseAmount, "Edit2"},
                                                      {Field::SoldQuantity, "Edit21"},
                                                      {Field::SalesAmount, "Edit16"},
                                                      {Field::StockQuantity, "Edit17"},
                                                      {Field::StockAmount, "Edit27"}};
    for (const auto &[which, name] : working) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->hide();
        m_fields[which] = field;
    }
}

void StockInPanel::buildLayout() {
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(10, 20, 10, 10);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(6);
    const auto row = [&](int r, int c, const char *label, QWidget *field, int span = 1) {
        auto *l = new QLabel(QString::fromUtf8(label), this);
        l->setBuddy(field);
        grid->addWidget(l, r, c);
        grid->addWidget(field, r, c + 1, 1, span);
    };
    row(0, 0, "商品名称：", m_name, 3);
    row(1, 0, "规格型号：", m_model);
    row(1, 2, "商品编码：", m_code);
    row(2, 0, "类 别：", m_category);
    row(2, 2, "入库日期：", m_date);
    row(3, 0, "进货单价：", m_fields[Field::PurchasePrice]);
    row(3, 2, "数 量：", m_fields[Field::Quantity]);
    row(4, 0, "销售单价：", m_fields[Field::SalePrice]);
    row(4, 2, "供货商：", m_supplier);
    row(5, 0, "备 注：", m_remark, 3);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_newEntry);
    buttons->addWidget(m_change);
    grid->addLayout(buttons, 6, 0, 1, 4);
    adjustSize();
}

void StockInPanel::setFieldText(Field which, const QString &text) {
    if (m_fields[which]->text() != text)
        m_fields[which]->setText(text); // the figures follow through textChanged
}

void StockInPanel::clear() {
    setFieldText(Field::PurchasePrice, QString());
    setFieldText(Field::Quantity, QString());
    setFieldText(Field::SalePrice, QString());
    setFieldText(Field::StockQuantity, QString());
    setFieldText(Field::StockAmount, QString());
    m_remark->clear();
    setFieldText(Field::SoldQuantity, QStringLiteral("0"));
    setFieldText(Field::SalesAmount, QStringLiteral("0"));
}

void StockInPanel::openForNewEntry() {
    popUp();
    emit ticketViewShouldHide();
    emit salePanelShouldHide();
    clear();
    m_loadedId = -1;
    m_change->hide();
    m_newEntry->show();
    m_name->setFocus(Qt::OtherFocusReason);
}

void StockInPanel::fillFromRow(int row) {
    const Dataset &goods = m_goods.goods();
    if (row < 0 || row >= goods.rowCount() || goods.text(row, QStringLiteral("a")).isEmpty()) return;
    const auto text = [&](const char *column) { return goods.text(row, QString::fromLatin1(column)); };
    m_name->setEditText(text("a"));
    m_model->setEditText(text("b"));
    m_code->setEditText(text("c"));
    m_category->setEditText(text("d"));
    m_supplier->setEditText(text("g"));
    setFieldText(Field::PurchasePrice, text("1"));
    setFieldText(Field::Quantity, text("2"));
    setFieldText(Field::SalePrice, text("4"));
    m_remark->setText(text("z"));
}

void StockInPanel::loadForModification() {
    const Dataset &goods = m_goods.goods();
    const int row = goods.currentRow();
    if (row < 0 || goods.text(row, QStringLiteral("a")).isEmpty()) return;
    popUp();
    emit salePanelShouldHide();
    m_newEntry->hide();
    m_change->setEnabled(true);
    m_change->show();
    const auto text = [&](const char *column) { return goods.text(row, QString::fromLatin1(column)); };
    m_name->setEditText(text("a"));
    m_model->setEditText(text("b"));
    m_code->setEditText(text("c"));
    m_category->setEditText(text("d"));
    const std::pair<Field, const char *> figures[] = {
        {Field::PurchasePrice, "1"}, {Field::Quantity, "2"},     {Field::PurchaseAmount, "3"},
        {Field::SalePrice, "4"},     {Field::SoldQuantity, "5"}, {Field::SalesAmount, "6"},
        {Field::StockQuantity, "7"}, {Field::StockAmount, "8"}};
    for (const auto &[which, column] : figures)
        setFieldText(which, text(column));
    m_remark->setText(text("z"));
    m_date->setDate(QDate::fromString(text("day1"), QStringLiteral("yyyy-MM-dd")));
    m_supplier->setEditText(text("g"));
    m_loadedId = goods.id(row);
}

bool StockInPanel::checkRequired() {
    return requireText(m_name, QStringLiteral("商品名称必须输入！")) &&
           requireText(m_code, QStringLiteral("商品编码必须输入！")) &&
           requireText(m_category, QStringLiteral("商品类别必须输入！")) &&
           requireText(m_fields[Field::PurchasePrice], QStringLiteral("进货单价必须输入！")) &&
           requireText(m_fields[Field::Quantity], QStringLiteral("进货数量必须输入！")) &&
           requireText(m_fields[Field::SalePrice], QStringLiteral("销售单价必须输入！"));
}

bool StockInPanel::checkDate(QDate *date) {
    if (m_date->isEmpty()) {
        Dialogs::instance().information(this, QStringLiteral("入库日期必须输入"));
        m_date->setFocus(Qt::OtherFocusReason);
        return false;
    }
    const auto entered = m_date->date();
    if (!entered) {
        Dialogs::instance().warning(this, QStringLiteral("入库日期不是有效的日期！"));
        m_date->setFocus(Qt::OtherFocusReason);
        return false;
    }
    *date = *entered;
    return true;
}

bool StockInPanel::reportNotANumber(Field which) {
    Dialogs::instance().warning(this, stockin::notANumberMessage(which));
    if (m_fields[which]->isVisibleTo(this)) m_fields[which]->setFocus(Qt::OtherFocusReason);
    return false;
}

std::optional<stockin::GoodsRow> StockInPanel::makeRow(stockin::Purpose purpose) {
    stockin::Descriptions texts{m_name->currentText(),
                                m_model->currentText(),
                                m_code->currentText(),
                                m_category->currentText(),
                                m_supplier->currentText(),
                                m_remark->text(),
                                {}};
    if (!checkDate(&texts.date)) return std::nullopt;
    auto made = stockin::makeRow(texts, m_figures, purpose);
    if (const auto *bad = std::get_if<Field>(&made)) {
        reportNotANumber(*bad);
        return std::nullopt;
    }
    return std::get<stockin::GoodsRow>(std::move(made));
}

void StockInPanel::newEntry() {
    if (!checkRequired()) return;
    const auto made = makeRow(stockin::Purpose::NewEntry);
    if (!made) return;
    qint64 id = -1;
    if (!stockin::insertRow(m_database, *made, &id)) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    emit succeeded(QStringLiteral("数据入库成功..."));
    clear();
    m_goods.showChangedRow(id, GoodsList::Step::All);
    m_change->setEnabled(false);
    // The panel stays open for the next entry, which starts with its name.
    m_name->setFocus(Qt::OtherFocusReason);
}

void StockInPanel::change() {
    if (m_loadedId < 0) return;
    if (const auto bad = m_figures.recomputeForChange()) {
        reportNotANumber(*bad);
        return;
    }
    if (!Dialogs::instance().ask(this, QStringLiteral("你确实要修改选中资料吗？"), QStringLiteral("警告！"),
                                 Dialogs::Buttons::OkCancel, Dialogs::QuestionIcon::Warning))
        return;
    if (!checkRequired() ||
        !requireText(m_fields[Field::StockQuantity], QStringLiteral("库存数量必须输入！")))
        return;
    const auto made = makeRow(stockin::Purpose::Change);
    if (!made) return;
    switch (stockin::updateRow(m_database, m_loadedId, *made)) {
    case stockin::UpdateResult::Updated:
        break;
    case stockin::UpdateResult::Missing:
        Dialogs::instance().warning(this, QStringLiteral("要修改的记录已经不存在！"));
        endModification();
        return;
    case stockin::UpdateResult::Failed:
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    m_goods.showChangedRow(m_loadedId, GoodsList::Step::All);
    hide();
    emit succeeded(QStringLiteral("修改数据成功..."));
    clear();
    m_loadedId = -1;
    m_change->setEnabled(false);
}

void StockInPanel::deleteCurrent() {
    emit salePanelShouldHide();
    const qint64 id = m_goods.currentId();
    if (id < 0) return; // an empty list has nothing to delete
    if (!Dialogs::instance().ask(this, QStringLiteral("你真的要删除选中资料吗？"), QStringLiteral("警告！"),
                                 Dialogs::Buttons::OkCancel, Dialogs::QuestionIcon::Warning))
        return;
    if (!m_goods.goods().remove(m_database, QStringLiteral("data"), id)) {
        Dialogs::instance().error(this, m_database.errorText());
        return;
    }
    if (id == m_loadedId) endModification();
    m_goods.refreshGrid();
    emit succeeded(QStringLiteral("删除数据成功..."));
}

void StockInPanel::disableChange() {
    m_change->setEnabled(false);
}

void StockInPanel::endModification() {
    m_loadedId = -1;
    m_change->setEnabled(false);
}

void StockInPanel::enableChange() {
    if (m_loadedId >= 0) m_change->setEnabled(true);
}

void StockInPanel::closedByMark() {
    clear();
    endModification();
}
