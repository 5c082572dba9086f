#pragma once
// The sales slip in a print preview, from which the user prints it; the capital amount filled in with
// its messages for a total that is not a plain number.
#include "printing/slip.h"

#include <functional>

class QPrintPreviewDialog;
class QWidget;

namespace slip {

// Puts the total in capitals into the content (负 first for a return ticket's negative total). A total
// with another character than digits, "." and a leading "-" is told in two messages and leaves the
// capital text empty.
void fillCapital(Content &content, QWidget *parent);

// Opens the print preview of the slip (modal) on A4.
void preview(const Content &content, QWidget *parent);

// What is done with the preview once it is set up; the program shows it (exec). Tests print the
// previewed document to a file instead. An empty runner restores the program's.
using PreviewRunner = std::function<void(QPrintPreviewDialog &)>;
void setPreviewRunner(PreviewRunner runner);

} // namespace slip
