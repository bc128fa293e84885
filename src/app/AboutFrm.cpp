#include "app/AboutFrm.h"

#include "text/StrList.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TAboutForm::TAboutForm(const QString& programVersion, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(withoutAccelerator(Text(Str::AboutCaption)));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<h2>%1</h2>").arg(withoutAccelerator(Text(Str::MainCaption))), this);
    name->setObjectName(QStringLiteral("ProductName"));
    auto* version = new QLabel(Text(Str::AboutVersion) + QLatin1Char(' ') + programVersion, this);
    version->setObjectName(QStringLiteral("Version"));
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* link = new QLabel(QStringLiteral("<a href=\"https://instrel.example.org\">instrel.example.org</a>"), this);
    link->setObjectName(QStringLiteral("Link"));
    link->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{name, version, line, link, buttons})
        layout->addWidget(w);
    setFixedSize(sizeHint().expandedTo(QSize(360, 180)));
}
