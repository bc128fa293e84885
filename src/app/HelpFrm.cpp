#include "app/HelpFrm.h"

#include "text/StrList.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
QString caption(const char* english, const char* russian)
{
    return QString::fromUtf8(languageIndex() == 0 ? english : russian);
}
} // namespace

QString THelpForm::indexPath() { return QDir::current().absoluteFilePath(QStringLiteral("help/index.html")); }

THelpForm::THelpForm(QWidget* parent) : QDialog(parent), m_browser(new QTextBrowser(this))
{
    setObjectName(QStringLiteral("HelpForm"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setModal(false);
    m_browser->setObjectName(QStringLiteral("HelpBrowser"));
    m_browser->setOpenExternalLinks(true);

    auto* back = new QPushButton(caption("Back", "Назад"), this);
    back->setObjectName(QStringLiteral("btnBack"));
    auto* forward = new QPushButton(caption("Forward", "Вперёд"), this);
    forward->setObjectName(QStringLiteral("btnForward"));
    auto* home = new QPushButton(caption("Contents", "Содержание"), this);
    home->setObjectName(QStringLiteral("btnHome"));
    auto* close = new QPushButton(caption("Close", "Закрыть"), this);
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
    m_browser->setSource(QUrl::fromLocalFile(QFileInfo(fileName).absoluteFilePath()));
    return true;
}

void THelpForm::updateTitle()
{
    const QString help = withoutAccelerator(Text(Str::ActionHelpIndex));
    const QString page = m_browser->documentTitle();
    setWindowTitle(page.isEmpty() ? help : help + QStringLiteral(" — ") + page);
}
