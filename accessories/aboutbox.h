#pragma once
// The about box "关于软件..." (TAboutBox): the program's name and icon, the maker's mail and web
// addresses (a click opens them), the maker's name, the shop's folder and database in use, and "确 定".
// Made once at the start, shown modally.
#include <QDialog>

class QLabel;
class QLineEdit;

class AboutBox : public QDialog {
    Q_OBJECT
  public:
    explicit AboutBox(QWidget *owner = nullptr);

    QLabel *mailLabel() const { return m_mail; } // Label7
    QLabel *webLabel() const { return m_web; }   // Label3

    // The shop this program works on: its folder and the database (a file's path, or how the engine is
    // reached). Shown whole, to be read or copied when the shop is looked for or backed up by hand.
    void setShopPlaces(const QString &shopFolder, const QString &database);
    QLineEdit *shopFolderField() const { return m_shopFolder; }
    QLineEdit *databaseField() const { return m_database; }

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
    QLineEdit *m_shopFolder;
    QLineEdit *m_database;
    bool m_centred = false;
};
