#include "app/WidgetMessageService.h"

#include "text/StrList.h"

#include <QApplication>
#include <QMessageBox>

namespace {
QMessageBox::Icon iconOf(MessageService::Kind kind)
{
    switch (kind) {
    case MessageService::Kind::Information:
        return QMessageBox::Information;
    case MessageService::Kind::Warning:
        return QMessageBox::Warning;
    case MessageService::Kind::Error:
        return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

QString captionOf(const QString& title) { return title.isEmpty() ? withoutAccelerator(Text(Str::MainCaption)) : title; }
} // namespace

void WidgetMessageService::show(Kind kind, const QString& text, const QString& title)
{
    QMessageBox box(iconOf(kind), captionOf(title), messageText(text), QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

bool WidgetMessageService::askYesNo(Kind kind, const QString& text, const QString& title)
{
    QMessageBox box(iconOf(kind), captionOf(title), messageText(text), QMessageBox::Yes | QMessageBox::No,
                    QApplication::activeWindow());
    box.setButtonText(QMessageBox::Yes, languageIndex() == 0 ? QStringLiteral("Yes") : QStringLiteral("Да"));
    box.setButtonText(QMessageBox::No, languageIndex() == 0 ? QStringLiteral("No") : QStringLiteral("Нет"));
    return box.exec() == QMessageBox::Yes;
}
