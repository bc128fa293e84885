#pragma once

#include <QString>
#include <QStringList>

class QWidget;

// The plant files a user opens: the last few kept in the settings file for the File menu, and the
// dialog that picks one, behind a seam so that a test scripts the answer and no dialog opens.
namespace PlantFiles {

// How many plants the File menu offers.
inline constexpr int kRecentCount = 5;

// The plants opened last, the latest first, as absolute paths, from `settingsFile`.
QStringList recent(const QString& settingsFile);
// `path` goes to the top of the list (once, whatever spelling named it); the oldest beyond
// kRecentCount drop off.
void remember(const QString& settingsFile, const QString& path);
// `path` leaves the list (a plant that could not be opened any more).
void forget(const QString& settingsFile, const QString& path);

// The open dialog on `folder`, offering database files; empty when the user cancels.
QString choose(QWidget* parent, const QString& folder);
// The next choose() returns `path` without showing anything; an empty path answers as a cancel.
void setNextChoice(const QString& path);

} // namespace PlantFiles
