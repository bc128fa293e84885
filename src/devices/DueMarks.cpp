#include "devices/DueMarks.h"

#include "app/DueReminder.h"
#include "data/Clock.h"
#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "devices/DueLegend.h"
#include "text/StrList.h"

#include <QAbstractItemView>
#include <QFont>
#include <QPainter>
#include <QPixmap>

DueMarks* DueMarks::attach(QAbstractItemView* view, const QString& nextDateField, DueLegend* legend)
{
    auto* model = qobject_cast<DatasetModel*>(view->model());
    if (!model)
        return nullptr;
    return new DueMarks(view, model, nextDateField, legend);
}

DueMarks::DueMarks(QAbstractItemView* view, DatasetModel* model, const QString& nextDateField, DueLegend* legend)
    : QObject(view), m_view(view), m_model(model), m_field(nextDateField), m_legend(legend),
      m_horizon(DueReminder::horizon())
{
    setObjectName(QStringLiteral("DueMarks"));
    legend->ensurePolished();
    legend->setHorizon(m_horizon);
    connect(legend, &DueLegend::colorsChanged, model, &DatasetModel::restyle);
    connect(&DueReminder::changes(), &DueReminder::horizonChanged, this, &DueMarks::setHorizon);
    setShown(true);
}

void DueMarks::setShown(bool shown)
{
    if (shown)
        m_model->setCellStyle([this](int row, int column, int role) { return style(row, column, role); });
    else
        m_model->setCellStyle({});
}

QString DueMarks::symbol(DueRule::State state)
{
    switch (state) {
    case DueRule::State::Overdue:
        return QStringLiteral("\u25B2"); // ▲
    case DueRule::State::DueSoon:
        return QStringLiteral("\u25CF"); // ●
    default:
        return {};
    }
}

// The shape drawn in the row's text colour, so that it reads on the row's background in every skin.
QIcon DueMarks::icon(DueRule::State state, const QColor& color) const
{
    const QString key = symbol(state) + color.name();
    if (auto found = m_icons.constFind(key); found != m_icons.cend())
        return *found;
    const int side = std::max(8, m_view->fontMetrics().height() - 4);
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    if (state == DueRule::State::Overdue)
        painter.drawPolygon(QPolygonF({QPointF(side / 2.0, 0.5), QPointF(side - 0.5, side - 0.5), QPointF(0.5, side - 0.5)}));
    else
        painter.drawEllipse(QRectF(side * 0.15, side * 0.15, side * 0.7, side * 0.7));
    painter.end();
    return m_icons.insert(key, QIcon(pixmap)).value();
}

void DueMarks::setHorizon(int days)
{
    m_horizon = days;
    if (m_legend)
        m_legend->setHorizon(days);
    m_model->restyle();
}

int DueMarks::nextDateColumn() const
{
    const Dataset* ds = m_model->dataset();
    return ds ? ds->fieldIndex(m_field) : -1;
}

DueRule::State DueMarks::stateOfRow(int row) const
{
    const Dataset* ds = m_model->dataset();
    const int column = nextDateColumn();
    if (!ds || column < 0 || row < 0 || row >= ds->recordCount())
        return DueRule::State::NoDate;
    const QVariant next = ds->valueAt(row, column);
    if (next.isNull() || !next.isValid())
        return DueRule::State::NoDate;
    return DueRule::stateOf(next.toDateTime(), Clock::today(), m_horizon);
}

QVariant DueMarks::style(int row, int column, int role) const
{
    const DueRule::State state = stateOfRow(row);
    if (state != DueRule::State::Overdue && state != DueRule::State::DueSoon)
        return {};
    const bool overdue = state == DueRule::State::Overdue;
    const bool dateCell = column == nextDateColumn();
    switch (role) {
    case Qt::BackgroundRole:
        return m_legend ? (overdue ? m_legend->overdueColor() : m_legend->dueSoonColor()) : QVariant();
    case Qt::ForegroundRole:
        return m_legend ? (overdue ? m_legend->overdueTextColor() : m_legend->dueSoonTextColor()) : QVariant();
    case Qt::FontRole: {
        if (!dateCell)
            return {};
        QFont bold = m_view->font();
        bold.setBold(true);
        return bold;
    }
    case Qt::DecorationRole:
        if (!dateCell || !m_legend)
            return {};
        return icon(state, overdue ? m_legend->overdueTextColor() : m_legend->dueSoonTextColor());
    case Qt::ToolTipRole:
        return overdue ? Text(Str::DueLegendOverdue) : FormatText(Str::DueLegendDueSoon, m_horizon);
    default:
        return {};
    }
}
