#pragma once

#include <QDialog>
#include <QMdiArea>
#include <QPointer>
#include <QString>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

// The date range dialog of the "Custom Date Filter" command: two masked editors (day, month and
// two-digit year) and Ok/Cancel. Its result is the filter-row expression of DateRangeExpression::
// fromTexts, empty after Cancel or when nothing was entered; the filter row turns it into the
// condition on the column.
//
// One instance serves the whole program. Enter in an editor moves the focus on instead of closing
// the dialog. When shown, it takes the font of the active MDI child window.
class TInputDateForm : public QDialog {
    Q_OBJECT
public:
    explicit TInputDateForm(QWidget* parent = nullptr);

    // Where to take the font from when shown; without one, the MDI area above the parent is used.
    void setMdiArea(QMdiArea* area) { m_mdiArea = area; }

    // Shows the dialog modally and returns its result. The editors keep their texts between uses.
    QString askExpression();
    const QString& resultExpression() const { return m_result; }

    // Tests: the next askExpression() shows nothing and answers as if these texts had been typed
    // and Ok pressed (or Cancel, when `ok` is false).
    static void setNextAnswer(const QString& fromText, const QString& toText, bool ok = true);

    QLineEdit* editFromDate() const { return m_from; }
    QLineEdit* editToDate() const { return m_to; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLineEdit* makeDateEditor(const QString& name);
    void acceptDates();
    QMdiArea* mdiAreaAbove() const;

    QLineEdit* m_from = nullptr;
    QLineEdit* m_to = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
    QPointer<QMdiArea> m_mdiArea;
    QString m_result;
};
