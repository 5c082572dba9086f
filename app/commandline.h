#pragma once
// The program's command line. Each option is one field here and one case in parseCommandLine(); what
// the program does with it is decided at the start-up.
#include <QString>
#include <QStringList>
#include <optional>

struct CommandLine {
    // "--shop-folder=<dir>": that folder. "--shop-folder" alone: the default shop folder (the menu's
    // start). Not given: the working folder, as always.
    std::optional<QString> shopFolder;
    // "--database=<libpq connection string>": the shop's server, in place of the settings' one (an
    // empty string: data.mdb).
    std::optional<QString> database;
    // "--copy-to=<libpq connection string>": copy the shop folder's data.mdb to that (empty) server
    // database and end, without a window (app/copycommand.h).
    std::optional<QString> copyTo;
    QString error; // what was wrong with the command line; empty when nothing
};

// The arguments after the program's own name. Arguments that are not options (an upgrade's restart
// parameters, say) are left to whoever reads them.
CommandLine parseCommandLine(const QStringList &arguments);
