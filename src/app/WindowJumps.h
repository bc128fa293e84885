#pragma once

#include <QString>
#include <QVariant>

class QWidget;

// Jumps from one window to another inside the main window: the ellipsis buttons of the lookup
// editors, the buttons that open a related table. Outside a main window (a window tested alone)
// they do nothing and return nullptr / false.
namespace WindowJumps {

// Pages of the linked tables window, by position in its table list.
enum LinkedPage {
    PagePrec = 0,
    PageDest = 1,
    PageClass = 2,
    PageCrew = 3,
    PageConstruct = 4,
    PageDocument = 6,
    PageGrade = 7,
    PageLocation = 8,
    PageMalfunctionGroups = 9, // groups and, beside them, their names
    PageMaker = 10,
    PageMere = 11,
    PageMarg = 13,
    PageScale = 14,
    PageReps = 15,
    PageState = 16,
    PageSystem = 17,
    PageNaim = 18,
};

// The child window of `className` in the main window that holds `from`, opened or brought forward.
QWidget* openWindow(QWidget* from, const QString& className);

// The linked tables window on `page`, its list moved to `key` and then, on a two-list page, its
// second list to `detailKey` (when given). A key not found leaves the list where it was.
bool openLinkedTable(QWidget* from, int page, const QVariant& key, const QVariant& detailKey = {});

} // namespace WindowJumps
