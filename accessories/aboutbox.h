#pragma once
// The about box "关于软件..." (TAboutBox): the program's name and icon, the maker's mail and web
// addresses (a click opens them), the maker's name and "确 定". Made once at the start, shown modally.
#include <QDialog>

class QLabel;

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget *owner = nullptr);

    QLabel *mailLabel() const { return m_mail; } // Label7
    QLabel *webLabel() const { return m_web; }   // Label3

    // A click on the mail address: a new mail to it.
    void writeMail();
    // A click on the web address: the maker's site.
    void openWebSite();

  protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QLabel *m_mail;
    QLabel *m_web;
    bool m_centred = false;
};
