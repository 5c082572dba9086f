#pragma once
// The print settings window (Tpos, "销售单小票设置"): the texts the receipt and the slip print, edited
// in nine fields. The prints read the fields as they stand, saved or not; the settings store only
// carries them from one run to the next.
#include "printing/printtexts.h"

#include <QDialog>
#include <array>

class QLineEdit;
class QToolButton;

class PrintSettingsWindow : public QDialog {
    Q_OBJECT
  public:
    explicit PrintSettingsWindow(QWidget *parent = nullptr);

    // The texts in the fields now.
    PrintTexts texts() const;
    // Edit1 … Edit9 in the order of PrintTexts::Names.
    QLineEdit *field(std::size_t index) const { return m_fields[index]; }
    QToolButton *saveButton() const { return m_save; } // Image1

  public slots:
    // At start-up: the stored texts into the fields, unless nothing usable is stored.
    void load();
    // Image1: the nine texts into the settings store, "已保存成功！" and the window hidden; a failed
    // write is reported and the window stays open with the texts as typed.
    bool save();

  private:
    void setTexts(const PrintTexts &texts);

    std::array<QLineEdit *, PrintTexts::Names.size()> m_fields{};
    QToolButton *m_save = nullptr;
};
