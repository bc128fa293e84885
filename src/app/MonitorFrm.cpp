#include "app/MonitorFrm.h"

#include "app/StoredGeometry.h"
#include "data/DMFrm.h"
#include "tables/FormSettings.h"
#include "text/StrList.h"

#include <QCloseEvent>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TMonitorForm::TMonitorForm(QWidget* parent) : QWidget(parent), m_memo(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("MonitorForm"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(Text(Str::MonitorCaption));
    m_memo->setObjectName(QStringLiteral("Memo1"));
    m_memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_memo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_memo);
    resize(600, 300);
    if (TDM* dm = TDM::instance())
        connect(dm, &TDM::statementLogged, this, &TMonitorForm::appendLine);
}

TMonitorForm::~TMonitorForm() = default;

void TMonitorForm::appendLine(const QString& line) { m_memo->appendPlainText(line); }

// The stored geometry is that of the frame around the monitor (a sub-window of the main window).
static QWidget* frameOf(QWidget* w) { return w->parentWidget() ? w->parentWidget() : w; }

void TMonitorForm::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (m_settingsLoaded)
        return;
    m_settingsLoaded = true;
    FormSettings settings(QString::fromLatin1(metaObject()->className()));
    StoredGeometry::restore(settings.settings(), frameOf(this));
}

void TMonitorForm::saveSettings()
{
    FormSettings settings(QString::fromLatin1(metaObject()->className()));
    StoredGeometry::save(settings.settings(), frameOf(this));
}

void TMonitorForm::closeEvent(QCloseEvent* event)
{
    saveSettings();
    QWidget::closeEvent(event);
}
