#pragma once

#include <QWidget>

class QToolButton;

// An editor with an ellipsis button at its right, which opens the window where the editor's list is
// kept (the linked tables, the types). The button is named after the editor with "Ellipsis" added
// (editState -> editStateEllipsis), so that it can be found like the editor. The box passes the
// focus to its editor and serves in a form page as in a grid cell.
class EllipsisBox : public QWidget {
    Q_OBJECT
public:
    // Takes `editor` into the box; name the editor first.
    explicit EllipsisBox(QWidget* editor, QWidget* parent = nullptr);

    QWidget* editor() const { return m_editor; }
    QToolButton* button() const { return m_button; }

    // The editor inside `widget` when it is a box, otherwise `widget` itself.
    static QWidget* editorOf(QWidget* widget);

signals:
    void ellipsisClicked();

private:
    QWidget* m_editor;
    QToolButton* m_button;
};
