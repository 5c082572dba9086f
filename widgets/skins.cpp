#include "widgets/skins.h"

#include "store/settingsstore.h"

#include <QApplication>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>

// The tick image lives in this static library's resources, which only a call keeps in the program.
static void initResources() {
    Q_INIT_RESOURCE(skins);
}

namespace skins {

namespace {
struct Colours {
    const char *window, *base, *alternate, *text, *button, *buttonText, *border, *highlight, *highlightText;
    const char *focus; // the frame of the button Enter would press: stands out from both button and window
};

// One sheet for every kind of control the skins restyle, filled with a skin's colours. Item texts of
// the lists keep the colours their models give them (the red stock alarm).
QString sheet(const Colours &c) {
    QString s = QStringLiteral(
        "QWidget { background-color: %1; color: %4; }"
        "QLineEdit, QComboBox, QAbstractSpinBox { background-color: %2; color: %4; border: 1px solid %7;"
        " padding: 1px 3px; }"
        "QComboBox QAbstractItemView { background-color: %2; color: %4; selection-background-color: %8;"
        " selection-color: %9; }"
        "QPushButton, QToolButton { background-color: %5; color: %6; border: 1px solid %7; padding: 3px 8px; "
        "}"
        "QPushButton:hover, QToolButton:hover { background-color: %8; color: %9; }"
        "QPushButton:disabled, QToolButton:disabled { color: %7; }"
        "QMenuBar, QMenu, QToolBar, QStatusBar { background-color: %5; color: %6; }"
        "QMenu::item:selected, QMenuBar::item:selected { background-color: %8; color: %9; }"
        "QLabel { background: transparent; color: %4; }"
        "QCheckBox, QRadioButton { color: %4; }"
        // A check box shows its box whether ticked or not: unticked an entry field's colour framed in
        // the text colour, ticked filled with the highlight and a white tick.
        "QCheckBox::indicator { width: 11px; height: 11px; border: 1px solid %4; background-color: %2; }"
        "QCheckBox::indicator:hover { border-color: %8; }"
        "QCheckBox::indicator:checked { background-color: %8; border-color: %8;"
        " image: url(:/jsjxc/skins/check.xpm); }"
        "QCheckBox::indicator:disabled { background-color: %1; }"
        "QLabel#Panel4 { background-color: %8; color: #ffffff; }"
        "QGroupBox { border: 1px solid %7; margin-top: 8px; }"
        "QGroupBox::title { subcontrol-origin: margin; left: 6px; color: %4; }"
        "QProgressBar { border: 1px solid %7; background-color: %2; text-align: center; }"
        "QProgressBar::chunk { background-color: %8; }"
        "QScrollBar { background-color: %1; }"
        "QScrollBar::handle { background-color: %5; border: 1px solid %7; min-height: 16px; min-width: 16px; "
        "}"
        "QTabBar::tab { background-color: %5; color: %6; border: 1px solid %7; padding: 3px 10px; }"
        "QTabBar::tab:selected { background-color: %8; color: %9; }"
        "QHeaderView::section { background-color: %5; color: %6; border: 1px solid %7; }"
        "QTableView { background-color: %2; alternate-background-color: %3; gridline-color: %7;"
        " selection-background-color: %8; selection-color: %9; }");
    return s.arg(QLatin1String(c.window), QLatin1String(c.base), QLatin1String(c.alternate),
                 QLatin1String(c.text), QLatin1String(c.button), QLatin1String(c.buttonText),
                 QLatin1String(c.border), QLatin1String(c.highlight), QLatin1String(c.highlightText)) +
           // A thicker frame in a colour of its own; the padding gives back the pixel the frame takes, so
           // the button keeps its size.
           QStringLiteral("QPushButton:focus, QToolButton:focus { border: 2px solid %1; padding: 2px 7px; }")
               .arg(QLatin1String(c.focus));
}

const Colours palettes[] = {
    // 黑色经典: charcoal and silver
    {"#2b2b2b", "#3a3a3a", "#333333", "#e8e8e8", "#454545", "#f0f0f0", "#5c5c5c", "#7a7a7a", "#ffffff",
     "#f5c542"},
    // 蓝色幻想: deep blue
    {"#dde8f7", "#ffffff", "#eef3fb", "#10243f", "#3d6fb6", "#ffffff", "#2c5597", "#1f4f99", "#ffffff",
     "#ff8c00"},
    // 梦幻天空: pale sky
    {"#e6f5fd", "#ffffff", "#f2fafe", "#173a4d", "#9ed4f0", "#123445", "#6fb7dd", "#3aa0d6", "#ffffff",
     "#d9480f"},
    // 黑色遐想: night with violet
    {"#1f1d26", "#2a2733", "#24222c", "#e6e1f0", "#3b3549", "#efe9fa", "#564d6b", "#7c5cc4", "#ffffff",
     "#ffd34d"},
    // 梦想成真: warm gold
    {"#fbf3e4", "#fffdf8", "#fdf6ea", "#4a3110", "#e2a441", "#2f1e05", "#c48a2c", "#d9822b", "#ffffff",
     "#1f4f99"},
};

// The built-in look with a frame two pixels wide round the focused push or tool button, whichever way
// the focus came (the Enter chain of a panel moves it by program).
class FocusMarkStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption *option, QPainter *painter,
                     const QWidget *widget) const override {
        QProxyStyle::drawControl(element, option, painter, widget);
        if (element == CE_PushButton) markFocus(*option, *painter);
    }
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex *option, QPainter *painter,
                            const QWidget *widget) const override {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        if (control == CC_ToolButton) markFocus(*option, *painter);
    }

  private:
    static void markFocus(const QStyleOption &option, QPainter &painter) {
        if (!(option.state & State_HasFocus)) return;
        painter.save();
        QPen pen(option.palette.color(QPalette::Active, QPalette::Highlight), 2);
        pen.setJoinStyle(Qt::MiterJoin);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.drawRect(QRectF(option.rect).adjusted(1, 1, -1, -1));
        painter.restore();
    }
};

int &loadedIndex() {
    static int index = -1;
    return index;
}
} // namespace

const std::vector<Skin> &stored() {
    static const std::vector<Skin> list{
        {QStringLiteral("N19"), QStringLiteral("黑色经典(皮肤)")},
        {QStringLiteral("N26"), QStringLiteral("蓝色幻想(皮肤)")},
        {QStringLiteral("N32"), QStringLiteral("梦幻天空(皮肤)")},
        {QStringLiteral("N42"), QStringLiteral("黑色遐想(皮肤)")},
        {QStringLiteral("N52"), QStringLiteral("梦想成真(皮肤)")},
    };
    return list;
}

QString styleSheet(int index) {
    if (index < 0 || index >= static_cast<int>(std::size(palettes))) return {};
    return sheet(palettes[index]);
}

void installFocusMark() {
    auto *app = qobject_cast<QApplication *>(QCoreApplication::instance());
    if (!app || dynamic_cast<FocusMarkStyle *>(QApplication::style())) return;
    QApplication::setStyle(new FocusMarkStyle(QStyleFactory::create(QApplication::style()->name())));
}

bool load(int index) {
    initResources();
    const QString style = styleSheet(index);
    if (style.isEmpty()) return false;
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) app->setStyleSheet(style);
    loadedIndex() = index;
    return true;
}

int loaded() {
    return loadedIndex();
}

bool loadFromSetting(const QString &value) {
    if (value.size() != 1 || value[0] < QLatin1Char('0') || value[0] > QLatin1Char('5')) return false;
    return load(value[0].unicode() - '0');
}

bool choose(int index, QString *error) {
    if (!load(index)) return false;
    return SettingsStore::instance().write(QStringLiteral("skin"), QString::number(index), error);
}

} // namespace skins
