#include "app/desktopprograms.h"

#include "widgets/shell.h"

#include <QStandardPaths>

namespace desktopprograms {

QStringList calculators() {
    return {QStringLiteral("gnome-calculator"), QStringLiteral("kcalc"),         QStringLiteral("mate-calc"),
            QStringLiteral("galculator"),       QStringLiteral("qalculate-gtk"), QStringLiteral("xcalc")};
}

QStringList textEditors() {
    return {QStringLiteral("gnome-text-editor"),
            QStringLiteral("gedit"),
            QStringLiteral("kate"),
            QStringLiteral("kwrite"),
            QStringLiteral("mousepad"),
            QStringLiteral("pluma"),
            QStringLiteral("xed"),
            QStringLiteral("featherpad"),
            QStringLiteral("leafpad")};
}

bool startFirstFound(const QStringList &candidates) {
    for (const QString &name : candidates) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty()) return Shell::instance().startProgram(path);
    }
    return false;
}

} // namespace desktopprograms
