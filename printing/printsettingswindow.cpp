#include "printing/printsettingswindow.h"

#include "store/settingsstore.h"
#include "widgets/dialogs.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
struct FieldSpec {
    const char *caption;
    const char *name;
};
// Captions and names of the nine fields, in the order of PrintTexts::Names.
constexpr std::array<FieldSpec, PrintTexts::Names.size()> Fields = {{
    {"小票标题：", "Edit1"},
    {"宣传语1：", "Edit2"},
    {"宣传语2：", "Edit3"},
    {"结束语：", "Edit4"},
    {"销售单表头：", "Edit5"},
    {"联系地址电话：", "Edit6"},
    {"宣传语1：", "Edit7"},
    {"宣传语2：", "Edit8"},
    {"公司(店铺)名称：", "Edit9"},
}};
constexpr std::size_t FirstSlipField = 4;
constexpr std::size_t CompanyField = 8;
} // namespace

PrintSettingsWindow::PrintSettingsWindow(QWidget *parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Tpos"));
    setWindowTitle(QStringLiteral("销售单小票设置"));

    auto *receipt = new QGroupBox(QStringLiteral("POS小票设置"), this);
    receipt->setObjectName(QStringLiteral("GroupBox1"));
    auto *slip = new QGroupBox(QStringLiteral("销售单设置"), this);
    slip->setObjectName(QStringLiteral("GroupBox2"));
    auto *receiptForm = new QFormLayout(receipt);
    auto *slipForm = new QFormLayout(slip);
    auto *companyForm = new QFormLayout;
    for (std::size_t i = 0; i < Fields.size(); ++i) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(Fields[i].name));
        field->setMinimumWidth(320);
        m_fields[i] = field;
        QFormLayout *form = i < FirstSlipField ? receiptForm : i < CompanyField ? slipForm : companyForm;
        form->addRow(QString::fromUtf8(Fields[i].caption), field);
    }
    auto *note = new QLabel(QStringLiteral("说明：宣传语1不填写，销售单可以不打印此项"), slip);
    slipForm->addRow(note);

    m_save = new QToolButton(this);
    m_save->setObjectName(QStringLiteral("Image1"));
    m_save->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    m_save->setIconSize(QSize(32, 32));
    m_save->setToolTip(QStringLiteral("保存"));
    m_save->setAutoRaise(true);
    connect(m_save, &QToolButton::clicked, this, [this] { save(); });

    auto *bottom = new QHBoxLayout;
    bottom->addLayout(companyForm, 1);
    bottom->addWidget(m_save);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(receipt);
    layout->addWidget(slip);
    layout->addLayout(bottom);

    setTexts(PrintTexts::defaults());
}

PrintTexts PrintSettingsWindow::texts() const {
    PrintTexts texts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        texts[i] = m_fields[i]->text();
    return texts;
}

void PrintSettingsWindow::setTexts(const PrintTexts &texts) {
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(texts[i]);
}

void PrintSettingsWindow::load() {
    setTexts(printtexts::load(SettingsStore::instance(), texts()));
}

bool PrintSettingsWindow::save() {
    QString error;
    if (!printtexts::save(SettingsStore::instance(), texts(), &error)) {
        Dialogs::instance().error(this, error);
        return false;
    }
    Dialogs::instance().information(this, QStringLiteral("已保存成功！"));
    hide();
    return true;
}
