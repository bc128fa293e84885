#include "app/DueNotice.h"

#include "text/StrList.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

TDueNotice::TDueNotice(qint64 overdue, qint64 dueSoon, int horizonDays, bool canShowSchedule, QWidget* parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("DueNotice"));
    setAttribute(Qt::WA_DeleteOnClose);
    setModal(false);
    setWindowTitle(Text(Str::DueNoticeCaption));

    auto* icon = new QLabel(this);
    const int size = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(overdue > 0 ? QStyle::SP_MessageBoxWarning : QStyle::SP_MessageBoxInformation)
                        .pixmap(size, size));
    m_text = new QLabel(messageText(FormatText(Str::DueNoticeText, overdue, horizonDays, dueSoon)), this);
    m_text->setObjectName(QStringLiteral("lbDue"));
    m_text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* show = buttons->addButton(Text(Str::DueNoticeShow), QDialogButtonBox::AcceptRole);
    show->setObjectName(QStringLiteral("btnShowDue"));
    show->setEnabled(canShowSchedule);
    QPushButton* close = buttons->addButton(Text(Str::BtnClose), QDialogButtonBox::RejectRole);
    close->setObjectName(QStringLiteral("btnClose"));
    (canShowSchedule ? show : close)->setDefault(true);
    connect(show, &QPushButton::clicked, this, [this] {
        emit showScheduleRequested();
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(icon, 0, Qt::AlignTop);
    row->addWidget(m_text, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
}

QString TDueNotice::text() const { return m_text->text(); }
