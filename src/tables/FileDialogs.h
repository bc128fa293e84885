#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

// The program's file dialogs, behind a seam: a test scripts the next answer and no dialog opens.
namespace FileDialogs {
// Completes a chosen name into the one that will be written (an extension added), given the
// chosen filter (0-based).
using CompleteName = std::function<QString(const QString& chosen, int filterIndex)>;

// The save dialog with `fileName` proposed and `filters` offered; `filterIndex` (0-based) is the
// filter shown first and, on return, the one chosen. An empty name means the user cancelled.
//
// With `complete`, the name returned is the completed one, and the question whether to replace an
// existing file is asked about that name (through Messages::confirm), not about the name typed:
// "file1" must not silently replace an existing "file1.txt". Answering No returns to the dialog; a
// scripted answer (setNextSaveFileName) is then a cancel.
QString getSaveFileName(QWidget* parent, const QString& caption, const QString& fileName, const QStringList& filters,
                        int* filterIndex, const CompleteName& complete = {});
// The next getSaveFileName returns `name` and `filterIndex` without showing anything; an empty name
// answers as a cancel.
void setNextSaveFileName(const QString& name, int filterIndex = 0);
// The file name proposed by the last getSaveFileName call (scripted or not).
QString lastProposedFileName();
// The caption of the last getSaveFileName call (scripted or not).
QString lastDialogCaption();
} // namespace FileDialogs
