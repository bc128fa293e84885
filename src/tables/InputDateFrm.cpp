#include "tables/InputDateFrm.h"

#include "data/MessageService.h"
#include "tables/DateRangeExpression.h"
#include "tables/DateText.h"
#include "text/StrList.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>

namespace {
struct ScriptedAnswer {
    QString from, to;
    bool ok = true;
};
std::optional<ScriptedAnswer> nextAnswer;
} // namespace

TInputDateForm::TInputDateForm(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("InputDateForm"));
    setWindowTitle(Text(Str::DateRangeCaption));
    m_from = makeDateEditor(QStringLiteral("editFromDate"));
    m_to = makeDateEditor(QStringLiteral("editToDate"));
    auto* fromLabel = new QLabel(Text(Str::DateRangeFrom), this);
    auto* toLabel = new QLabel(Text(Str::DateRangeTo), this);
    fromLabel->setObjectName(QStringLiteral("Label1"));
    toLabel->setObjectName(QStringLiteral("Label2"));
    fromLabel->setBuddy(m_from);
    toLabel->setBuddy(m_to);
    m_ok = new QPushButton(Text(Str::DlgOk), this);
    m_cancel = new QPushButton(Text(Str::DlgCancel), this);
    m_ok->setObjectName(QStringLiteral("btnOk"));
    m_cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(m_ok, &QPushButton::clicked, this, &TInputDateForm::acceptDates);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* dates = new QHBoxLayout;
    dates->addWidget(fromLabel);
    dates->addWidget(m_from);
    dates->addWidget(toLabel);
    dates->addWidget(m_to);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(dates);
    layout->addLayout(buttons);
}

QLineEdit* TInputDateForm::makeDateEditor(const QString& name)
{
    auto* editor = new QLineEdit(this);
    editor->setObjectName(name);
    editor->setInputMask(QStringLiteral("99.99.99;_"));
    editor->setMinimumWidth(editor->fontMetrics().horizontalAdvance(QStringLiteral("00.00.000")) + 12);
    editor->installEventFilter(this);
    return editor;
}

void TInputDateForm::setNextAnswer(const QString& fromText, const QString& toText, bool ok)
{
    nextAnswer = ScriptedAnswer{fromText, toText, ok};
}

QString TInputDateForm::askExpression()
{
    m_result.clear();
    if (nextAnswer) {
        const ScriptedAnswer answer = *nextAnswer;
        nextAnswer.reset();
        m_from->setText(answer.from);
        m_to->setText(answer.to);
        if (answer.ok)
            acceptDates();
        return m_result;
    }
    m_from->setFocus();
    exec();
    return m_result;
}

void TInputDateForm::acceptDates()
{
    // A day that does not exist, or a date typed in part, would silently clear the column's filter:
    // it is named instead, and the dialog stays open with the text for correction.
    for (QLineEdit* editor : {m_from, m_to}) {
        const DateText::Reading reading = DateText::readShort(editor->text());
        if (reading.refused()) {
            Messages::error(DateText::refusal(reading, editor->text()));
            editor->setFocus();
            return;
        }
    }
    m_result = DateRangeExpression::fromTexts(m_from->text(), m_to->text());
    accept();
}

void TInputDateForm::showEvent(QShowEvent* event)
{
    m_result.clear();
    QMdiArea* area = m_mdiArea ? m_mdiArea.data() : mdiAreaAbove();
    if (area && area->activeSubWindow() && area->activeSubWindow()->widget())
        setFont(area->activeSubWindow()->widget()->font());
    QDialog::showEvent(event);
}

// The MDI area of the window the dialog belongs to: the one holding its parent, or the one in the
// parent's top-level window.
QMdiArea* TInputDateForm::mdiAreaAbove() const
{
    for (QWidget* w = parentWidget(); w; w = w->parentWidget())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(w))
            return sub->mdiArea();
    return parentWidget() ? parentWidget()->window()->findChild<QMdiArea*>() : nullptr;
}

bool TInputDateForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == m_from || watched == m_to)) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
