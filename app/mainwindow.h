#pragma once
// The main window: the frame that holds the goods list, the query box, the tool bar, the floating
// panels and the success banner, and runs the steps of showing and closing the program.
#include "store/sessionstate.h"

#include <QMainWindow>
#include <QPointer>
#include <QSize>
#include <functional>
#include <map>
#include <vector>

class Database;
class DateField;
class FloatingPanel;
class Hints;
class MainCommands;
class MainStatusBar;
class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QTimer;
class QVBoxLayout;
class SuccessBanner;

class MainWindow : public QMainWindow {
    Q_OBJECT
  public:
    static constexpr int ClientWidth = 1031;
    static constexpr int ClientHeight = 636;
    // The goods list takes the window's height less this.
    static constexpr int LowerAreaHeight = 196;
    static constexpr int DateRefillMs = 500;
    // How long after the last resize a size dragged by hand is put back.
    static constexpr int NormalSizeDelayMs = 150;

    // The date fields that are set to today at every show; Timer1 refills the sale and stock-in
    // dates whenever they are found empty.
    enum class DateRole { StockIn, Sale, QueryFrom, QueryTo };
    // Places in the show steps where other parts of the program add theirs, in the order they run.
    enum class ShowStep { ApplyColumnVisibility, SelectCurrentMonth, OpenDatasets, HideStockInPanel };
    enum class CloseStep { CloseDatasets };

    explicit MainWindow(Database &database, QWidget *parent = nullptr);
    ~MainWindow() override;

    // --- what other parts put into the window
    // The goods list fills the upper area and gets the goods-list menu as its context menu.
    void setGoodsList(QWidget *list);
    // The query box fills the lower area left of the tool bar.
    void setQueryBox(QWidget *box);
    // The area the floating panels and the banner float over (their parent).
    QWidget *panelHost() const { return m_host; }
    // Makes a floating panel a child of the panel host, hidden until opened.
    void addFloatingPanel(FloatingPanel *panel);

    // --- commands of the tool bar and the menus, by name ("ToolButton7", "N39", ...)
    MainCommands &commands() const { return *m_commands; }
    QAction *command(const QString &name) const;
    // Enables the command and runs `handler` on each trigger while `context` lives.
    void wireCommand(const QString &name, const QObject *context, std::function<void()> handler);

    // --- steps of show and close
    void addShowStep(ShowStep place, std::function<void()> step);
    void addCloseStep(CloseStep place, std::function<void()> step);
    // Loads the skin named by the stored value `skin` (the raw text; it decides what it accepts).
    void setSkinLoader(std::function<void(const QString &)> loader);
    // Registers the date field of a role; the registration ends when the field is destroyed.
    void keepDateFilled(DateRole role, DateField *field);

    // --- state
    // The id of this run's row in the login log ("Tag"); 0 until a login succeeds.
    qint64 loginLogId() const { return m_loginLogId; }
    void setLoginLogId(qint64 id) { m_loginLogId = id; }
    SessionState &session() { return m_session; }
    const SessionState &session() const { return m_session; }

    // --- controls
    QLineEdit *thresholdField() const { return m_threshold; } // Edit43
    QCheckBox *zeroStockBox() const { return m_zeroStock; }   // CheckBox1
    SuccessBanner *banner() const { return m_banner; }        // Panel4
    MainStatusBar *panels() const { return m_statusBar; }
    QWidget *goodsListArea() const { return m_listArea; }
    // The query box, the tool bar, the threshold and the zero-stock box below the list.
    QWidget *lowerArea() const { return m_lowerArea; }
    Hints *hints() const { return m_hints; }
    QTimer *dateTimer() const { return m_dateTimer; } // Timer1

    // The success banner with its text ("成功提示").
    void showSuccess(const QString &text);
    void setOperatorName(const QString &name);

    // Timer1: an empty sale date, then an empty stock-in date, becomes today.
    void refillEmptyDateFields();
    // The border is fixed: a window that is neither maximised nor minimised goes back to its size.
    // True when it asked for that size. Runs by itself shortly after the window was resized.
    bool keepNormalSize();

  signals:
    // Each time the window becomes the active window.
    void activated();
    // The window has closed with its close steps: the program ends.
    void closed();

  protected:
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;

  private:
    void buildCentralArea();
    void runShowSteps();
    void readStoredSettings();
    void runCloseSteps();
    void setAllDateFields();
    void refillIfEmpty(DateRole role);
    DateField *dateField(DateRole role) const;
    void fitGoodsList();

    Database &m_database;
    MainCommands *m_commands = nullptr;
    MainStatusBar *m_statusBar = nullptr;
    Hints *m_hints = nullptr;
    QWidget *m_host = nullptr;
    QWidget *m_listArea = nullptr;
    QVBoxLayout *m_listLayout = nullptr;
    QWidget *m_lowerArea = nullptr;
    QWidget *m_queryArea = nullptr;
    QVBoxLayout *m_queryLayout = nullptr;
    QLineEdit *m_threshold = nullptr;
    QCheckBox *m_zeroStock = nullptr;
    SuccessBanner *m_banner = nullptr;
    QTimer *m_dateTimer = nullptr;
    QTimer *m_normalSizeTimer = nullptr;
    QSize m_refusedSize;

    std::map<ShowStep, std::vector<std::function<void()>>> m_showSteps;
    std::map<CloseStep, std::vector<std::function<void()>>> m_closeSteps;
    std::function<void(const QString &)> m_skinLoader;
    std::map<DateRole, QPointer<DateField>> m_dateFields;

    qint64 m_loginLogId = 0;
    SessionState m_session;
    bool m_closeStepsDue = true;
};
