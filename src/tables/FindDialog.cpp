#include "tables/FindDialog.h"

#include <QPointer>

#include "data/Dataset.h"
#include "data/DatasetModel.h"
#include "text/StrList.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QScreen>
#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace {
template <typename W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}
} // namespace

FindDialog::FindDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FindDialog"));
    setWindowTitle(Text(Str::FindCaption));
    m_text = named(new QLineEdit(this), "editFindText");
    m_column = named(new QComboBox(this), "cbFindIn");
    m_match = named(new QComboBox(this), "cbMatching");
    m_match->addItems({Text(Str::FindMatchAnyPart), Text(Str::FindMatchWhole), Text(Str::FindMatchStart)});
    m_direction = named(new QComboBox(this), "cbDirection");
    m_direction->addItems({Text(Str::FindUp), Text(Str::FindDown), Text(Str::FindAll)});
    m_direction->setCurrentIndex(int(GridFind::Direction::All));
    m_caseSensitive = named(new QCheckBox(Text(Str::FindCaseSensitive), this), "cbCaseSensitive");
    m_formatSensitive = named(new QCheckBox(Text(Str::FindFormatSensitive), this), "cbFormatSensitive");
    m_formatSensitive->setChecked(true);
    m_findNext = named(new QPushButton(Text(Str::FindNext), this), "btnFindNext");
    m_cancel = named(new QPushButton(Text(Str::DlgCancel), this), "btnCancel");
    m_findNext->setDefault(true);
    connect(m_findNext, &QPushButton::clicked, this, &FindDialog::findNext);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_result = named(new QLabel(this), "lbFindResult");
    m_result->setWordWrap(true);
    QFont bold;
    bold.setBold(true);
    m_result->setFont(bold);
    connect(m_text, &QLineEdit::textEdited, this, [this] { showResult({}); });

    auto* form = new QFormLayout;
    form->addRow(Text(Str::FindTextLabel), m_text);
    form->addRow(Text(Str::FindInLabel), m_column);
    form->addRow(Text(Str::FindMatchingLabel), m_match);
    form->addRow(Text(Str::FindDirectionLabel), m_direction);
    form->addRow(m_caseSensitive);
    form->addRow(m_formatSensitive);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_findNext);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_result);
    layout->addLayout(buttons);
    showResult({});
}

void FindDialog::setDataset(Dataset* dataset)
{
    m_dataset = dataset;
    m_grid = nullptr;
    for (QWidget* w = QApplication::focusWidget(); w && !m_grid; w = w->parentWidget())
        if (auto* view = qobject_cast<QAbstractItemView*>(w))
            if (auto* model = qobject_cast<DatasetModel*>(view->model()); model && model->dataset() == dataset)
                m_grid = view;
    showResult({});
    m_column->clear();
    m_column->addItem(Text(Str::FindAll), QString());
    if (!dataset)
        return;
    for (const auto& field : dataset->fields())
        if (field->isVisible())
            m_column->addItem(field->label(), field->name());
}

void FindDialog::setSearch(const QString& text, const QString& fieldName)
{
    m_text->setText(text);
    m_text->selectAll();
    int index = 0;
    for (int i = 1; i < m_column->count(); ++i)
        if (m_column->itemData(i).toString().compare(fieldName, Qt::CaseInsensitive) == 0)
            index = i;
    m_column->setCurrentIndex(index);
}

GridFind::Options FindDialog::options() const
{
    GridFind::Options options;
    options.text = m_text->text();
    options.match = GridFind::Match(m_match->currentIndex());
    options.direction = GridFind::Direction(m_direction->currentIndex());
    options.caseSensitive = m_caseSensitive->isChecked();
    options.formatSensitive = m_formatSensitive->isChecked();
    return options;
}

QString FindDialog::fieldName() const { return m_column->currentData().toString(); }

bool FindDialog::findNext()
{
    if (!m_dataset || !m_dataset->isActive())
        return false;
    const QString field = fieldName();
    const int row = GridFind::findRow(*m_dataset, field.isEmpty() ? QStringList() : QStringList{field}, options());
    if (row < 0) {
        QApplication::beep();
        showResult(FormatText(Str::FindNotFound, options().text));
        return false;
    }
    showResult({});
    m_dataset->setRecNo(row + 1);
    keepRowInSight();
    return true;
}

void FindDialog::showResult(const QString& text)
{
    m_result->setText(text);
    m_result->setVisible(!text.isEmpty());
}

// The dialog stays open for the next search; where it covers the row just found, it moves below the
// row, or above it when there is no room below.
void FindDialog::keepRowInSight()
{
    if (!m_grid || !isVisible() || !m_dataset)
        return;
    const QModelIndex index = m_grid->model()->index(m_dataset->currentRow(), 0);
    if (!index.isValid())
        return;
    m_grid->scrollTo(index);
    const QRect cell = m_grid->visualRect(index);
    const QRect row(m_grid->viewport()->mapToGlobal(QPoint(0, cell.top())), QSize(m_grid->viewport()->width(), cell.height()));
    const QRect frame = frameGeometry();
    if (!frame.intersects(row))
        return;
    const QRect screen = m_grid->screen() ? m_grid->screen()->availableGeometry() : QRect(frame.topLeft(), frame.size() * 4);
    const int gap = row.height();
    int top = row.bottom() + gap;
    if (top + frame.height() > screen.bottom())
        top = row.top() - gap - frame.height();
    move(pos() + QPoint(0, top - frame.top()));
}

// Opened over the grid, the dialog would hide the row it starts from.
void FindDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    keepRowInSight();
}

FindDialog* FindDialog::shared(QWidget* owner)
{
    static QPointer<FindDialog> instance;
    QWidget* top = owner ? owner->window() : nullptr;
    if (!instance || instance->parentWidget() != top) {
        delete instance.data();
        instance = new FindDialog(top);
        instance->setObjectName(QStringLiteral("FindDialog"));
    }
    return instance;
}
