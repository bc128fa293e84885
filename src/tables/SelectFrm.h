#pragma once

#include "tables/DualListMoves.h"

#include <QDialog>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

// The dual list dialog: the user picks some of the source list's entries, in an order of his
// choosing, by moving them into the destination list. The moving rules are DualListMoves'; this
// window shows its two lists and forwards the four buttons.
//
// Use: clear(), set the caption and setMaxCount(), addSource() for each entry, SetMoveButtons(),
// then choose(); after it returned true, destination() in the order chosen. One instance serves the
// whole program (shared()).
class TDualListDlg : public QDialog {
    Q_OBJECT
public:
    explicit TDualListDlg(QWidget* parent = nullptr);

    // The one dialog of the program, created as a child of `owner`'s top-level window (the main
    // window) and freed with it.
    static TDualListDlg* shared(QWidget* owner);

    void clear();
    int maxCount() const { return m_moves.maxCount(); }
    void setMaxCount(int count) { m_moves.setMaxCount(count); }
    void addSource(const QString& text, qint64 key);
    // Enables ">" and ">>" while the source has entries, "<" and "<<" while the destination has.
    void SetMoveButtons();

    // Shows the dialog modally; true when the user pressed OK.
    bool choose();
    const std::vector<DualListMoves::Entry>& destination() const { return m_moves.entries(DualListMoves::Destination); }
    const std::vector<DualListMoves::Entry>& source() const { return m_moves.entries(DualListMoves::Source); }

    // The four commands, as their buttons run them on what is selected in the lists.
    void IncludeBtnClick();
    void IncAllBtnClick();
    void ExcludeBtnClick();
    void ExAllBtnClick();
    // Selects the entries of a list whose texts are given (for scripts and tests).
    void selectTexts(DualListMoves::Side side, const QStringList& texts);

    // Tests: choose() shows nothing and returns what `script` returns after working on the dialog
    // (selecting, pressing buttons); an empty script shows the dialog again.
    using Script = std::function<bool(TDualListDlg&)>;
    static void setScript(Script script);

private:
    QListWidget* listOf(DualListMoves::Side side) const;
    void readSelection();
    void showLists();
    void fitToEntries();
    void run(void (DualListMoves::*command)());

    DualListMoves m_moves;
    QLabel* m_srcLabel = nullptr;
    QLabel* m_dstLabel = nullptr;
    QListWidget* m_srcList = nullptr;
    QListWidget* m_dstList = nullptr;
    QPushButton* m_include = nullptr;
    QPushButton* m_includeAll = nullptr;
    QPushButton* m_exclude = nullptr;
    QPushButton* m_excludeAll = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};
