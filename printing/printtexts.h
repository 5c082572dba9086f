#pragma once
// The fixed texts printed around the sales data (the receipt's title, slogans and closing line; the
// slip's header, contact line and slogans) and the shop's name, with their defaults and their place
// in the settings store.
#include <QString>
#include <array>

class SettingsStore;

struct PrintTexts {
    QString receiptTitle;   // pos1
    QString receiptSlogan1; // pos2
    QString receiptSlogan2; // pos3
    QString receiptClosing; // pos4
    QString slipTitle;      // dan1
    QString slipContact;    // dan2
    QString slipSlogan1;    // dan3: an empty one leaves the slip's slogan band out
    QString slipSlogan2;    // dan4
    QString company;        // company: stored only, printed nowhere

    // What a fresh installation prints.
    static PrintTexts defaults();

    // The settings value names, in the order of the fields, and the members they hold.
    static constexpr std::array<const char *, 9> Names = {"pos1", "pos2", "pos3", "pos4",   "dan1",
                                                          "dan2", "dan3", "dan4", "company"};
    QString &operator[](std::size_t index);
    const QString &operator[](std::size_t index) const;

    bool operator==(const PrintTexts &) const = default;
};

namespace printtexts {

// The stored texts, or `current` unchanged when there is no key or its pos1 is empty or absent (a
// stored text that is absent reads as empty).
PrintTexts load(const SettingsStore &store, const PrintTexts &current);
// Writes the nine values, empty ones included. Stops at the first that cannot be written (nothing
// after it is written), with the reason in *error.
bool save(SettingsStore &store, const PrintTexts &texts, QString *error = nullptr);

} // namespace printtexts
