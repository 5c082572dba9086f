#pragma once
// Small text rules shared by the entry windows and the writes behind them.
#include <QString>

// The text without leading and trailing blanks and control characters (everything up to U+0020),
// as required fields are judged and as goods and sales rows keep their texts.
QString trimBlanksAndControls(const QString &text);
