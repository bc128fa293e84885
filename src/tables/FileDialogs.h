#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The program's file dialogs, behind a seam: a test scripts the next answer and no dialog opens.
namespace FileDialogs {
// The save dialog with `fileName` proposed and `filters` offered; `filterIndex` (0-based) is the
// filter shown first and, on return, the one chosen. An empty name means the user cancelled.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QStringList& filters,
                        int* filterIndex);
// The next getSaveFileName returns `name` and `filterIndex` without showing anything; an empty name
// answers as a cancel.
void setNextSaveFileName(const QString& name, int filterIndex = 0);
// The file name proposed by the last getSaveFileName call (scripted or not).
QString lastProposedFileName();
} // namespace FileDialogs
