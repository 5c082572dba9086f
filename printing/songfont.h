#pragma once
// "宋体", the Song typeface receipts and slips are printed in, at a size in points. On Linux the name
// stands for an installed Song face (AR PL UMing), substituted once for the whole program.
#include <QFont>

namespace printing {
// Makes "宋体" stand for the installed Song face; the start-up calls it, and the prints make sure of it.
void substituteSongFace();
QFont songFont(double pointSize, bool bold = false);
} // namespace printing
