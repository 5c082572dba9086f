#pragma once
// Reading the dates of HTTP headers (Date, Last-Modified, Expires) in the forms servers send, and the
// texts of the transfer's progress stages.
#include <QDateTime>
#include <QString>

// The moment in local time; an invalid QDateTime ("0") when the text does not read as a date.
QDateTime parseHttpDate(const QString &text);

// Stages a transfer passes through, reported on the worker thread.
namespace httpstatus {
constexpr int Connecting = 20;
constexpr int ResponseReceived = 41;
constexpr int RequestComplete = 100;
constexpr int Redirect = 110;
} // namespace httpstatus
// The text of a stage number ("Resolving name", "Redirect", ... "Unknown status").
QString httpStatusText(int status);
