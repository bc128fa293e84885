#pragma once

#include "tables/LookupEditor.h"

#include <QAbstractItemView>
#include <QTest>

// Chooses the row showing `text` as a user does: the pop-up dropped down, the row made current in
// it and Enter pressed, so that the box closes its pop-up and reports the row in Qt's own order.
// False when the pop-up did not open or has no such row.
inline bool chooseInPopup(LookupEditor* editor, const QString& text)
{
    const int row = editor->findText(text);
    if (row < 0)
        return false;
    editor->showPopup();
    QAbstractItemView* view = editor->view();
    if (!view->isVisible())
        return false;
    view->setCurrentIndex(view->model()->index(row, editor->modelColumn()));
    QTest::keyClick(view, Qt::Key_Return);
    return !view->isVisible();
}
