#pragma once
// "jsjxc --copy-to=<connection string>": the shop folder's data.mdb copied to an empty database on a
// server, from a terminal or a script. No window, no login: progress and the result go to the
// terminal, and the exit status says whether the copy was made.
class QString;

// The command line asks for the copy (looked at before any application object exists: the copy needs
// no display).
bool asksForServerCopy(int argc, char **argv);
// Makes the copy. 0 when it was committed; 1 when it was refused, failed or stopped; 2 for a command
// line or shop folder that cannot be used.
int runServerCopy(int argc, char **argv);
