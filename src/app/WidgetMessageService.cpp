#include "app/WidgetMessageService.h"

#include "text/StrList.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
    QMessageBox box(iconOf(kind), captionOf(title), messageText(text), QMessageBox::NoButton,
                    QApplication::activeWindow());
    QPushButton* yes = box.addButton(Text(Str::MessageYes), QMessageBox::YesRole);
    box.addButton(Text(Str::MessageNo), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.exec();
    return box.clickedButton() == yes;
}
