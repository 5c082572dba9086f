#pragma once
// Runs transfers to their end and remembers every event in the order it came.
#include "upgrade/httptransfer.h"

#include <QStringList>
#include <QTest>
#include <optional>
#include <vector>

struct TransferRecorder {
    explicit TransferRecorder(HttpTransfer &transfer) : transfer(transfer) {
        QObject::connect(&transfer, &HttpTransfer::progress, &transfer,
                         [this](const HttpResponse &, const HttpProgress &figures) {
                             events << QStringLiteral("progress");
                             progress.push_back(figures);
                         });
        QObject::connect(&transfer, &HttpTransfer::done, &transfer,
                         [this](const QString &, const QByteArray &data, qint64) {
                             events << QStringLiteral("done");
                             body = data;
                         });
        QObject::connect(
            &transfer, &HttpTransfer::httpError, &transfer,
            [this](int status, const QByteArray &) { events << QStringLiteral("httpError %1").arg(status); });
        QObject::connect(&transfer, &HttpTransfer::noResponse, &transfer,
                         [this] { events << QStringLiteral("noResponse"); });
        QObject::connect(&transfer, &HttpTransfer::incomplete, &transfer,
                         [this](const QString &, qint64 bytes, qint64 length) {
                             events << QStringLiteral("incomplete %1/%2").arg(bytes).arg(length);
                         });
        QObject::connect(&transfer, &HttpTransfer::tooLarge, &transfer,
                         [this](qint64 limit) { events << QStringLiteral("tooLarge %1").arg(limit); });
        QObject::connect(&transfer, &HttpTransfer::cancelled, &transfer,
                         [this] { events << QStringLiteral("cancelled"); });
        QObject::connect(&transfer, &HttpTransfer::failed, &transfer,
                         [this](const QString &) { events << QStringLiteral("failed"); });
        QObject::connect(&transfer, &HttpTransfer::aborted, &transfer,
                         [this] { events << QStringLiteral("aborted"); });
        QObject::connect(&transfer, &HttpTransfer::finished, &transfer,
                         [this](HttpOutcome how) { outcome = how; });
    }

    // Starts and waits for the end; false when it did not start or did not end in time.
    bool run(const QString &address, int waitMs = 10000) {
        transfer.request().address = address;
        outcome.reset();
        if (!transfer.start()) return false;
        return QTest::qWaitFor([this] { return outcome.has_value() || !transfer.isBusy(); }, waitMs);
    }

    HttpTransfer &transfer;
    QStringList events;
    std::vector<HttpProgress> progress;
    QByteArray body;
    std::optional<HttpOutcome> outcome;
};
