#pragma once
// The texts of the upgrade windows and messages, in Chinese simplified and in English, the language
// chosen from the system's locale.
#include <QLocale>
#include <QString>
#include <QStringList>
#include <optional>

enum class UpgradeLanguage { English, ChineseSimplified };

namespace upgradetext {
enum Number {
    Caption = 0,
    TitleDownloading = 1,
    TitleCompleted = 2,
    CurrentFile = 3,
    AllFiles = 4,
    DownloadingFrom = 5,
    FileSize = 6,       // %.1f
    TransferRate = 7,   // %.1f
    TimeLeft = 8,       // %d %.2d %.2d
    FileOf = 9,         // %d %d
    CompletedNote = 10, // %s
    PasswordCaption = 11,
    UserName = 12,
    Password = 13,
    Yes = 14,
    No = 15,
    Ok = 16,
    Cancel = 17,
    Next = 18,
    Later = 19,
    Warning = 20,
    ErrorCaption = 21,
    Preparing = 22,
    Question = 23, // %s %s
    NoUpdate = 24,
    NoInfoFile = 25,
    HostUnreachable = 26, // %s
    CancelQuestion = 27,
    LostFile = 28,        // %s
    PasswordRequest = 29, // %s
    ConnectionLost = 30,
    // Checks this program adds: the signed information file, the hashes, the files written.
    BadSignature = 31,
    BadHash = 32,     // %s
    WriteFailed = 33, // %s
    // Limits and the order of the signed information files.
    InfoTooLarge = 34,
    FileTooLarge = 35, // %s
    OlderInfo = 36,
    Checking = 37,
    PasswordNotSent = 38, // %s
    SerialNotSaved = 39,  // %s
    // What a check the user asked for says when the server could not be asked.
    ServerUnreachable = 40, // %s %s
    NoReason = 41,
    NoInfoFileStatus = 42, // %s
    CheckFailed = 43,      // %s
    // A program installed from a Debian package, upgraded by the system's installer.
    NoPackage = 44,
    PackageByHand = 45,       // %s
    PackageNotInstalled = 46, // %s
};
} // namespace upgradetext

// Chinese (any) gives Chinese simplified, every other language English.
UpgradeLanguage upgradeLanguageFor(const QLocale &locale);
// The language of the texts: the system's unless a test chose one.
UpgradeLanguage upgradeLanguage();
void setUpgradeLanguage(std::optional<UpgradeLanguage> language);

// The raw text (printf format) of a number.
QString upgradeText(int number);
// The text with each "%s" replaced by the next value, in order.
QString upgradeText(int number, const QStringList &values);
