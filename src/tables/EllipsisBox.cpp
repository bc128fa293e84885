#include "tables/EllipsisBox.h"

#include <QHBoxLayout>
#include <QToolButton>

EllipsisBox::EllipsisBox(QWidget* editor, QWidget* parent) : QWidget(parent), m_editor(editor)
{
    setObjectName(editor->objectName() + QStringLiteral("Box"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    editor->setParent(this);
    layout->addWidget(editor, 1);
    m_button = new QToolButton(this);
    m_button->setObjectName(editor->objectName() + QStringLiteral("Ellipsis"));
    m_button->setText(QStringLiteral("..."));
    m_button->setFocusPolicy(Qt::NoFocus); // the editor keeps the focus while the button works
    m_button->setFixedWidth(m_button->sizeHint().width());
    layout->addWidget(m_button);
    setFocusProxy(editor);
    connect(m_button, &QToolButton::clicked, this, &EllipsisBox::ellipsisClicked);
}

QWidget* EllipsisBox::editorOf(QWidget* widget)
{
    auto* box = qobject_cast<EllipsisBox*>(widget);
    return box ? box->editor() : widget;
}
