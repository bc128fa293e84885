#include "app/HelpFrm.h"

#include "app/DataFolders.h"

#include "text/StrList.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

QString THelpForm::helpFileName()
{
    const QString name = qApp ? qApp->property("helpFile").toString() : QString();
    return name.isEmpty() ? QStringLiteral("help/index.html") : name;
}

// A bare name: looked up in the current folder first, then where the program is installed.
QString THelpForm::indexPath() { return DataFolders::locate(helpFileName()); }

QStringList THelpForm::placesLookedIn() { return DataFolders::candidates(helpFileName()); }

THelpForm::THelpForm(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(false);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* back = new QPushButton(Text(Str::HelpBack), this);
    back->setObjectName(QStringLiteral("btnBack"));
    auto* forward = new QPushButton(Text(Str::HelpForward), this);
    forward->setObjectName(QStringLiteral("btnForward"));
    auto* home = new QPushButton(Text(Str::HelpContents), this);
    home->setObjectName(QStringLiteral("btnHome"));
    auto* close = new QPushButton(Text(Str::BtnClose), this);
    close->setObjectName(QStringLiteral("btnClose"));
    back->setEnabled(false);
    forward->setEnabled(false);
    for (QPushButton* button : {back, forward, home, close})
        button->setAutoDefault(false);
    connect(back, &QPushButton::clicked, m_browser, &QTextBrowser::backward);
    connect(forward, &QPushButton::clicked, m_browser, &QTextBrowser::forward);
    connect(home, &QPushButton::clicked, m_browser, &QTextBrowser::home);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(m_browser, &QTextBrowser::backwardAvailable, back, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::forwardAvailable, forward, &QWidget::setEnabled);
    connect(m_browser, &QTextBrowser::sourceChanged, this, &THelpForm::updateTitle);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(back);
    buttons->addWidget(forward);
    buttons->addWidget(home);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(m_browser);
    resize(760, 600);
    updateTitle();
}

bool THelpForm::openPage(const QString& fileName)
{
    if (!QFileInfo(fileName).isFile())
        return false;
    followSkin();
    m_browser->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

// The pages leave their colours to the program, so that they stay readable on a dark skin.
void THelpForm::followSkin()
{
    m_browser->ensurePolished();
    const bool dark = m_browser->palette().color(QPalette::Base).lightness() < 128;
    m_browser->document()->setDefaultStyleSheet(
        dark ? QStringLiteral("a { color: #8cc8ff; } h1, h2 { color: #9fd0ff; } th { background-color: #3a4049; }")
             : QStringLiteral("a { color: #0b57b0; } h1, h2 { color: #1d4f8a; } th { background-color: #e6ebf1; }"));
}

void THelpForm::changeEvent(QEvent* event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::StyleChange || m_browser->source().isEmpty())
        return;
    followSkin();
    m_browser->reload();
}

void THelpForm::updateTitle()
{
    const QString help = Text(Str::HelpCaption);
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? help : help + QStringLiteral(" — ") + page);
}
