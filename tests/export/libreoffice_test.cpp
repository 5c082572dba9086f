// An exported sales list opened by a real spreadsheet program (LibreOffice, headless, converting it
// to CSV) in an English locale: it gives back every cell as written, the Chinese texts included.
// LibreOffice takes seconds to start, so this is the one test that runs it.
#include "export/gridexporter.h"
#include "reports/salesdetailwindow.h"
#include "tests/export/biffreader.h"
#include "tests/export/exportfixture.h"
#include "tests/reports/reportsfixture.h"
#include "tests/support/testenv.h"

#include <QProcess>
#include <QStandardPaths>
#include <QUrl>
#include <gtest/gtest.h>

namespace {
// The fields of CSV lines: separated by commas, quoted with '"' where needed, '""' inside quotes.
std::vector<QStringList> parseCsv(const QString &text) {
    std::vector<QStringList> rows;
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == QLatin1Char('"') && i + 1 < text.size() && text[i + 1] == QLatin1Char('"')) {
                field += c;
                ++i;
            } else if (c == QLatin1Char('"')) {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            row << field;
            field.clear();
        } else if (c == QLatin1Char('\n')) {
            row << field;
            rows.push_back(row);
            row.clear();
            field.clear();
        } else if (c != QLatin1Char('\r')) {
            field += c;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) rows.push_back(row << field);
    return rows;
}

QStringList withoutTrailingEmpties(QStringList fields) {
    while (!fields.isEmpty() && fields.back().isEmpty())
        fields.removeLast();
    return fields;
}

// What a reader shows of a cell: the text, the number in the general format, nothing for a blank.
QString shownText(const BiffCell &cell) {
    if (cell.type == 0x0204) return cell.text;
    if (cell.type == 0x0203 || cell.type == 0x027E) return QString::number(cell.number, 'g', 15);
    return {};
}
} // namespace

TEST(LibreOfficeTest, AnEnglishLocaleReadsTheExportedSalesListBackCellForCellChineseIncluded) {
    TestEnv env;
    OpeningShell shell;
    Record sale;
    sale.customer = u("李四");
    sale.remark = u("送货上门");
    insertRecord(env.database(), sale);
    Record part;
    part.name = u("内存条");
    part.model = QStringLiteral("DDR3 4G");
    part.quantity = 0.5;
    part.price = 25.5;
    part.amount = 12.75;
    part.profit = -0.25;
    part.date = QStringLiteral("2014-08-09");
    insertRecord(env.database(), part);
    SalesDetailWindow detail(env.database());
    detail.showAllRecords();

    const QString xls = env.file(QStringLiteral("sales.xls"));
    GridExporter exporter;
    exporter.setTitleName(u("销 售 报 表"));
    exporter.setUserName(u("超级管理员"));
    exporter.setGrid(detail.grid());
    exporter.setShowProgress(false);
    exporter.setFileName(xls);
    ASSERT_EQ(exporter.exportGrid(), GridExporter::Result::Written);

    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "soffice not found: install the package libreoffice-calc-nogui";
    QProcess office;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"LANG", "LC_ALL", "LC_CTYPE"})
        environment.insert(QString::fromLatin1(name), QStringLiteral("C.UTF-8"));
    environment.insert(QStringLiteral("HOME"), env.dir());
    office.setProcessEnvironment(environment);
    office.setProcessChannelMode(QProcess::MergedChannels);
    const QString profile = QUrl::fromLocalFile(env.file(QStringLiteral("office-profile"))).toString();
    const QString csvDir = env.file(QStringLiteral("csv"));
    office.start(soffice, {QStringLiteral("-env:UserInstallation=") + profile, QStringLiteral("--headless"),
                           QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
                           // Commas, '"' around texts that need it, UTF-8, from the first line.
                           QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"),
                           QStringLiteral("--outdir"), csvDir, xls});
    ASSERT_TRUE(office.waitForFinished(240000)) << "LibreOffice did not finish";
    const QByteArray said = office.readAll();
    QFile csv(csvDir + QStringLiteral("/sales.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly)) << said.toStdString();
    const std::vector<QStringList> read = parseCsv(QString::fromUtf8(csv.readAll()));

    const BiffSheet sheet = BiffSheet::fromFile(xls);
    ASSERT_EQ(static_cast<int>(read.size()), sheet.lastRow() + 1);
    for (int r = 0; r <= sheet.lastRow(); ++r) {
        QStringList written;
        for (int c = 0; c < 16; ++c)
            written << shownText(sheet.cell(r, c));
        // Joined, so that a failure shows the texts themselves.
        EXPECT_EQ(
            withoutTrailingEmpties(read[static_cast<std::size_t>(r)]).join(QLatin1Char('|')).toStdString(),
            withoutTrailingEmpties(written).join(QLatin1Char('|')).toStdString())
            << "row " << r;
    }
    EXPECT_EQ(read[0].value(3).toStdString(), "销 售 报 表");
    EXPECT_EQ(read[4].value(10).toStdString(), "李四");
    EXPECT_EQ(read[5].value(5).toStdString(), "0.5");
}
