#include "tables/FilterHeader.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionHeader>
#include <algorithm>
#include <QTimer>

namespace {

// Asks for its entries just before its list opens.
class FilterCombo : public QComboBox {
public:
    FilterCombo(QWidget* parent, std::function<void()> wanted) : QComboBox(parent), m_wanted(std::move(wanted)) {}
    void showPopup() override
    {
        m_wanted();
        QComboBox::showPopup();
    }

private:
    std::function<void()> m_wanted;
};

} // namespace

FilterHeader::FilterHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent), m_debounce(new QTimer(this))
{
    setObjectName(QStringLiteral("FilterHeader"));
    setSectionsClickable(true);
    setSectionsMovable(true);
    m_debounce->setSingleShot(true);
    m_debounce->setInterval(DebounceMs);
    connect(m_debounce, &QTimer::timeout, this, &FilterHeader::emitPending);
    connect(this, &QHeaderView::sectionResized, this, &FilterHeader::adjustPositions);
    connect(this, &QHeaderView::sectionMoved, this, &FilterHeader::adjustPositions);
    connect(this, &QHeaderView::sectionResized, this, &FilterHeader::titleHeightMayChange);
}

void FilterHeader::setWrappedTitles(bool wrap)
{
    m_wrapTitles = wrap;
    const Qt::Alignment wordWrap = Qt::Alignment::fromInt(Qt::TextWordWrap);
    setDefaultAlignment(wrap ? defaultAlignment() | wordWrap : defaultAlignment() & ~wordWrap);
    // An elided title would be cut to one line before it could wrap.
    setTextElideMode(wrap ? Qt::ElideNone : Qt::ElideRight);
    titleHeightMayChange();
}

void FilterHeader::setModel(QAbstractItemModel* model)
{
    QHeaderView::setModel(model);
    if (!model)
        return;
    connect(model, &QAbstractItemModel::headerDataChanged, this, &FilterHeader::titleHeightMayChange);
    connect(model, &QAbstractItemModel::modelReset, this, &FilterHeader::titleHeightMayChange);
    connect(model, &QAbstractItemModel::columnsInserted, this, &FilterHeader::titleHeightMayChange);
}

// One line as the header measures it, plus a line spacing for every further line the widest-wrapping
// title needs at its column's present width.
int FilterHeader::titleHeight() const
{
    if (!m_wrapTitles || !model())
        return QHeaderView::sizeHint().height();
    // The header's own measure counts the line breaks a title holds: measure one line instead.
    QStyleOptionHeader option;
    initStyleOption(&option);
    option.text = QStringLiteral("X");
    const int oneLine = style()->sizeFromContents(QStyle::CT_HeaderSection, &option, QSize(), this).height();
    const QFontMetrics metrics = fontMetrics();
    const int margin = style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, this);
    int lines = 1;
    for (int section = 0; section < count(); ++section) {
        if (isSectionHidden(section))
            continue;
        const QString title = model()->headerData(section, orientation()).toString();
        const QRect needed = metrics.boundingRect(QRect(0, 0, std::max(1, sectionSize(section) - 2 * margin), 1 << 16),
                                                  Qt::TextWordWrap, title);
        lines = std::max(lines, (needed.height() + metrics.lineSpacing() - 1) / metrics.lineSpacing());
    }
    return oneLine + (lines - 1) * metrics.lineSpacing();
}

// The grid lays out its header again when the header says its geometry changed; said only when the
// height did change, so that a stretched last column does not start a loop.
void FilterHeader::titleHeightMayChange()
{
    if (!m_wrapTitles && m_lastTitleHeight == 0)
        return;
    const int height = titleHeight();
    if (height == m_lastTitleHeight)
        return;
    m_lastTitleHeight = m_wrapTitles ? height : 0;
    updateGeometry();
    emit geometriesChanged();
}

void FilterHeader::generateFilters(int count)
{
    qDeleteAll(m_editors);
    m_editors.clear();
    m_pending.clear();
    m_errors.clear();
    for (int column = 0; column < count; ++column) {
        auto* combo = new FilterCombo(this, [this, column] { emit valuesWanted(column); });
        combo->setObjectName(QStringLiteral("Filter%1").arg(column));
        combo->setEditable(true);
        combo->lineEdit()->installEventFilter(this);
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setFrame(false);
        connect(combo->lineEdit(), &QLineEdit::textEdited, this, [this, column] { textEdited(column); });
        connect(combo, &QComboBox::activated, this, [this, combo, column](int index) {
            m_pending.remove(column);
            const QVariant value = combo->itemData(index);
            emit valuePicked(column, value.isValid() ? value : QVariant(combo->itemText(index)));
        });
        m_editors.append(combo);
        combo->show();
    }
    updateGeometries();
}

QComboBox* FilterHeader::editor(int column) const { return m_editors.value(column); }

// A cell taking the focus gets its column's values, for the list and for completing what is typed.
bool FilterHeader::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn)
        for (int column = 0; column < m_editors.size(); ++column)
            if (m_editors[column]->lineEdit() == watched)
                emit valuesWanted(column);
    return QHeaderView::eventFilter(watched, event);
}

QString FilterHeader::filterText(int column) const
{
    const QComboBox* combo = editor(column);
    return combo ? combo->currentText() : QString();
}

void FilterHeader::setFilterText(int column, const QString& text)
{
    if (QComboBox* combo = editor(column)) {
        m_pending.remove(column);
        combo->setEditText(text);
    }
}

void FilterHeader::clearFilters()
{
    for (int column = 0; column < m_editors.size(); ++column)
        setFilterText(column, QString());
}

void FilterHeader::setValues(int column, const QStringList& texts, const QVariantList& values)
{
    QComboBox* combo = editor(column);
    if (!combo)
        return;
    const QString typed = combo->currentText();
    const QSignalBlocker block(combo);
    combo->clear();
    for (qsizetype i = 0; i < texts.size(); ++i)
        combo->addItem(texts[i], values.value(i));
    combo->setCurrentIndex(-1);
    combo->setEditText(typed);
}

void FilterHeader::setCellError(int column, const QString& error)
{
    QComboBox* combo = editor(column);
    if (!combo)
        return;
    if (error.isEmpty())
        m_errors.remove(column);
    else
        m_errors.insert(column, error);
    combo->setProperty("filterError", !error.isEmpty());
    combo->setToolTip(error);
    // A sheet of its own on the text part, so that the mark shows whatever skin the program wears
    // and the drop-down button keeps its look.
    combo->lineEdit()->setStyleSheet(error.isEmpty() ? QString()
                                                     : QStringLiteral("QLineEdit { background: #ffc8c8; color: #900000; }"));
}

QString FilterHeader::firstError() const { return m_errors.isEmpty() ? QString() : m_errors.first(); }

void FilterHeader::clearValues(int column) { setValues(column, {}); }

void FilterHeader::textEdited(int column)
{
    m_pending.insert(column);
    m_debounce->start();
}

void FilterHeader::emitPending()
{
    const QSet<int> pending = std::exchange(m_pending, {});
    QList<int> columns(pending.begin(), pending.end());
    std::sort(columns.begin(), columns.end());
    for (int column : columns)
        emit filterChanged(column, filterText(column));
}

void FilterHeader::flush()
{
    m_debounce->stop();
    emitPending();
}

void FilterHeader::paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const
{
    painter->save();
    QHeaderView::paintSection(painter, rect, logicalIndex);
    painter->restore();
    if (m_decoration)
        m_decoration(painter, rect, logicalIndex);
}

QSize FilterHeader::sizeHint() const
{
    QSize size = QHeaderView::sizeHint();
    if (m_wrapTitles)
        size.setHeight(titleHeight());
    if (!m_editors.isEmpty())
        size.setHeight(size.height() + m_editors.first()->sizeHint().height());
    return size;
}

void FilterHeader::updateGeometries()
{
    // The titles keep their own height; the editors take the margin below them.
    if (!m_editors.isEmpty())
        setViewportMargins(0, 0, 0, m_editors.first()->sizeHint().height());
    else
        setViewportMargins(0, 0, 0, 0);
    QHeaderView::updateGeometries();
    adjustPositions();
}

void FilterHeader::adjustPositions()
{
    if (m_editors.isEmpty())
        return;
    // The editors take the margin reserved under the titles' viewport.
    const int top = viewport()->geometry().bottom() + 1;
    const int height = m_editors.first()->sizeHint().height();
    for (int column = 0; column < m_editors.size(); ++column) {
        QComboBox* combo = m_editors[column];
        if (column >= count() || isSectionHidden(column) || sectionSize(column) == 0) {
            combo->hide();
            continue;
        }
        combo->setGeometry(sectionViewportPosition(column), top, sectionSize(column), height);
        combo->show();
    }
}
