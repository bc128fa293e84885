#pragma once

#include <QString>
#include <QStringList>

// Where the program finds what it ships beside itself (help pages, skins): first the current folder,
// where a plant may keep its own; then the program's own folder (a build tree keeps them there);
// then the folder the program was installed with (<prefix>/share/instrel next to <prefix>/bin); then
// the system's data folders ($XDG_DATA_DIRS, /usr/share), where a package puts them whatever folder
// the program is run from.
namespace DataFolders {
// `relativePath` under each place looked in, in the order they are tried, each once.
QStringList candidates(const QString& relativePath);
// The first candidate that exists; the current folder's candidate when none does.
QString locate(const QString& relativePath);
// The installed data folder: <datadir>/instrel, found from the program's folder (<bindir>).
QString installed();
// Tests: the installed folder is `folder` instead; empty goes back to the real one.
void setInstalledForTests(const QString& folder);
} // namespace DataFolders
