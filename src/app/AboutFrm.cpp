#include "app/AboutFrm.h"

#include "text/StrList.h"

#include <QDialogButtonBox>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtMath>
#include <cmath>

TAboutForm::TAboutForm(const QString& programVersion, const QString& databasePath, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(withoutAccelerator(Text(Str::AboutCaption)));
    auto* layout = new QVBoxLayout(this);
    auto* name = new QLabel(QStringLiteral("<h2>%1</h2>").arg(withoutAccelerator(Text(Str::MainCaption))), this);
    name->setObjectName(QStringLiteral("ProductName"));
    auto* version = new QLabel(Text(Str::AboutVersion) + QLatin1Char(' ') + programVersion, this);
    version->setObjectName(QStringLiteral("Version"));
    auto* database = new QLabel(FormatText(Str::DatabaseFile, databasePath), this);
    database->setObjectName(QStringLiteral("Database"));
    database->setTextInteractionFlags(Qt::TextSelectableByMouse);
    database->setVisible(!databasePath.isEmpty());
    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    auto* link = new QLabel(QStringLiteral("<a style=\"color: #0b57b0\" href=\"https://instrel.example.org\">instrel.example.org</a>"), this);
    link->setObjectName(QStringLiteral("Link"));
    link->setOpenExternalLinks(true);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    for (QWidget* w : std::initializer_list<QWidget*>{name, version, database, line, link, buttons})
        layout->addWidget(w);
    // The texts stand on the box's own light picture, whatever the skin gives other labels.
    setStyleSheet(QStringLiteral("QLabel, QFrame { background: transparent; } QLabel { color: #1d2a38; }"));
    setFixedSize(sizeHint().expandedTo(QSize(360, 180)));
}

void TAboutForm::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient gradient(rect().topLeft(), rect().bottomLeft());
    gradient.setColorAt(0, QColor(0xe8, 0xf0, 0xf8));
    gradient.setColorAt(1, QColor(0xc8, 0xd8, 0xe8));
    painter.fillRect(rect(), gradient);
    // A measuring instrument's dial in the corner: the arc, its scale marks and a needle.
    const QRectF dial(width() - 130, 14, 110, 110);
    painter.setPen(QPen(QColor(0x50, 0x70, 0x90), 3));
    painter.drawArc(dial, 30 * 16, 120 * 16);
    painter.setPen(QPen(QColor(0x50, 0x70, 0x90), 2));
    const QPointF centre = dial.center();
    for (int mark = 0; mark <= 6; ++mark) {
        const double angle = qDegreesToRadians(30.0 + mark * 20.0);
        const QPointF outer(centre.x() + 55 * std::cos(angle), centre.y() - 55 * std::sin(angle));
        const QPointF inner(centre.x() + 47 * std::cos(angle), centre.y() - 47 * std::sin(angle));
        painter.drawLine(inner, outer);
    }
    const double needle = qDegreesToRadians(70.0);
    painter.setPen(QPen(QColor(0xc0, 0x30, 0x30), 3));
    painter.drawLine(centre, QPointF(centre.x() + 50 * std::cos(needle), centre.y() - 50 * std::sin(needle)));
}
