#include "tables/SelectFrm.h"

#include "text/StrList.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <QVBoxLayout>

namespace {
TDualListDlg::Script script;
constexpr int kListWidth = 180; // the narrowest a list gets

QPushButton* newButton(const char* name, const QString& text, QWidget* parent)
{
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}
} // namespace

TDualListDlg::TDualListDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("DualListDlg"));
    // A fixed-size dialog with the system menu only.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    m_srcLabel = new QLabel(Text(Str::DualListSource), this);
    m_srcLabel->setObjectName(QStringLiteral("SrcLabel"));
    m_dstLabel = new QLabel(Text(Str::DualListDest), this);
    m_dstLabel->setObjectName(QStringLiteral("DstLabel"));
    auto newList = [this](const char* name, QLabel* label) {
        auto* list = new QListWidget(this);
        list->setObjectName(QString::fromLatin1(name));
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        list->setFixedSize(kListWidth, 200);
        label->setBuddy(list);
        return list;
    };
    m_srcList = newList("SrcList", m_srcLabel);
    m_dstList = newList("DstList", m_dstLabel);
    m_include = newButton("IncludeBtn", QStringLiteral(">"), this);
    m_includeAll = newButton("IncAllBtn", QStringLiteral(">>"), this);
    m_exclude = newButton("ExcludeBtn", QStringLiteral("<"), this);
    m_excludeAll = newButton("ExAllBtn", QStringLiteral("<<"), this);
    m_ok = newButton("OKBtn", withoutAccelerator(Text(Str::DlgOk)), this);
    m_ok->setDefault(true);
    m_cancel = newButton("CancelBtn", withoutAccelerator(Text(Str::DlgCancel)), this);
    m_exclude->setEnabled(false);
    m_excludeAll->setEnabled(false);

    auto* moves = new QVBoxLayout;
    moves->addStretch(1);
    for (QPushButton* b : {m_include, m_includeAll, m_exclude, m_excludeAll}) {
        b->setFixedWidth(36);
        moves->addWidget(b);
    }
    moves->addStretch(1);
    auto* lists = new QGridLayout;
    lists->addWidget(m_srcLabel, 0, 0);
    lists->addWidget(m_dstLabel, 0, 2);
    lists->addWidget(m_srcList, 1, 0);
    lists->addLayout(moves, 1, 1);
    lists->addWidget(m_dstList, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_include, &QPushButton::clicked, this, &TDualListDlg::IncludeBtnClick);
    connect(m_includeAll, &QPushButton::clicked, this, &TDualListDlg::IncAllBtnClick);
    connect(m_exclude, &QPushButton::clicked, this, &TDualListDlg::ExcludeBtnClick);
    connect(m_excludeAll, &QPushButton::clicked, this, &TDualListDlg::ExAllBtnClick);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
}

TDualListDlg* TDualListDlg::shared(QWidget* owner)
{
    static QPointer<TDualListDlg> instance;
    QWidget* top = owner ? owner->window() : nullptr;
    if (!instance || instance->parentWidget() != top) {
        delete instance.data();
        instance = new TDualListDlg(top);
    }
    return instance;
}

void TDualListDlg::setScript(Script next) { script = std::move(next); }

void TDualListDlg::clear()
{
    m_moves.clear();
    showLists();
}

void TDualListDlg::addSource(const QString& text, qint64 key)
{
    m_moves.addSource(text, key);
    showLists();
}

void TDualListDlg::SetMoveButtons()
{
    m_include->setEnabled(m_moves.canInclude());
    m_includeAll->setEnabled(m_moves.canInclude());
    m_exclude->setEnabled(m_moves.canExclude());
    m_excludeAll->setEnabled(m_moves.canExclude());
}

bool TDualListDlg::choose()
{
    if (script)
        return script(*this);
    // In the middle of the screen the dialog shows on, whatever window asked for it.
    adjustSize();
    if (const QScreen* screen = (parentWidget() ? parentWidget()->screen() : this->screen()))
        move(screen->availableGeometry().center() - rect().center());
    return exec() == QDialog::Accepted;
}

QListWidget* TDualListDlg::listOf(DualListMoves::Side side) const
{
    return side == DualListMoves::Source ? m_srcList : m_dstList;
}

void TDualListDlg::selectTexts(DualListMoves::Side side, const QStringList& texts)
{
    readSelection();
    std::vector<int> indexes;
    const auto& entries = m_moves.entries(side);
    for (int i = 0; i < int(entries.size()); ++i)
        if (texts.contains(entries[size_t(i)].text))
            indexes.push_back(i);
    m_moves.select(side, indexes);
    showLists();
}

void TDualListDlg::readSelection()
{
    for (DualListMoves::Side side : {DualListMoves::Source, DualListMoves::Destination}) {
        QListWidget* list = listOf(side);
        for (int i = 0; i < list->count(); ++i)
            m_moves.setSelected(side, i, list->item(i)->isSelected());
    }
}

void TDualListDlg::showLists()
{
    for (DualListMoves::Side side : {DualListMoves::Source, DualListMoves::Destination}) {
        QListWidget* list = listOf(side);
        const QSignalBlocker block(list);
        list->clear();
        for (const DualListMoves::Entry& entry : m_moves.entries(side)) {
            auto* item = new QListWidgetItem(entry.text, list);
            item->setData(Qt::UserRole, entry.key);
            item->setSelected(entry.selected);
        }
    }
    fitToEntries();
}

// The lists are as wide as their longest entry (a category's full name), within reason, and the
// dialog as wide as its caption: neither is cut.
void TDualListDlg::fitToEntries()
{
    const QFontMetrics metrics = m_srcList->fontMetrics();
    int widest = 0;
    for (DualListMoves::Side side : {DualListMoves::Source, DualListMoves::Destination})
        for (const DualListMoves::Entry& entry : m_moves.entries(side))
            widest = std::max(widest, metrics.horizontalAdvance(entry.text));
    const int chrome = 2 * m_srcList->frameWidth() + m_srcList->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 16;
    // The caption sits in the title bar beside its buttons, in about the same font.
    const int forCaption = (fontMetrics().horizontalAdvance(windowTitle()) + 120 - 36 - 40) / 2;
    const QScreen* shown = parentWidget() ? parentWidget()->screen() : screen();
    const int most = shown ? shown->availableGeometry().width() * 2 / 5 : 600;
    const int width = std::clamp(std::max(widest + chrome, forCaption), kListWidth, std::max(most, kListWidth));
    m_srcList->setFixedWidth(width);
    m_dstList->setFixedWidth(width);
}

void TDualListDlg::run(void (DualListMoves::*command)())
{
    readSelection();
    (m_moves.*command)();
    showLists();
    QListWidget* focused = listOf(m_moves.focus());
    focused->setFocus(Qt::OtherFocusReason);
    const int selected = m_moves.firstSelected(m_moves.focus());
    if (selected >= 0)
        focused->setCurrentRow(selected, QItemSelectionModel::NoUpdate);
    SetMoveButtons();
}

void TDualListDlg::IncludeBtnClick() { run(&DualListMoves::include); }
void TDualListDlg::IncAllBtnClick() { run(&DualListMoves::includeAll); }
void TDualListDlg::ExcludeBtnClick() { run(&DualListMoves::exclude); }
void TDualListDlg::ExAllBtnClick() { run(&DualListMoves::excludeAll); }
