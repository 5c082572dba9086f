#include "app/commandline.h"

namespace {
// The value of "--name=value" or, for a bare "--name", an empty string; nothing for other arguments.
std::optional<QString> optionValue(const QString &argument, const QString &name, bool *bare) {
    const QString option = QStringLiteral("--") + name;
    *bare = argument == option;
    if (*bare) return QString();
    if (argument.startsWith(option + u'=')) return argument.mid(option.size() + 1);
    return std::nullopt;
}
} // namespace

CommandLine parseCommandLine(const QStringList &arguments) {
    CommandLine line;
    for (const QString &argument : arguments) {
        bool bare = false;
        if (const auto folder = optionValue(argument, QStringLiteral("shop-folder"), &bare)) {
            if (!bare && folder->trimmed().isEmpty()) {
                line.error = QStringLiteral("选项 --shop-folder= 后面没有给出数据文件夹。");
                continue;
            }
            line.shopFolder = *folder;
        }
        if (const auto database = optionValue(argument, QStringLiteral("database"), &bare)) {
            if (bare) {
                line.error = QStringLiteral("选项 --database 后面要用“=”给出数据库连接。");
                continue;
            }
            line.database = database->trimmed();
        }
        if (const auto target = optionValue(argument, QStringLiteral("copy-to"), &bare)) {
            if (target->trimmed().isEmpty()) {
                line.error = QStringLiteral("选项 --copy-to 后面要用“=”给出目标数据库服务器的连接。");
                continue;
            }
            line.copyTo = target->trimmed();
        }
    }
    return line;
}
