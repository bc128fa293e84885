#pragma once

#include "tables/GridFind.h"

#include <QDialog>
#include <QPointer>

class Dataset;
class QAbstractItemView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The grid's "Find text" dialog: the text, the column to search in (the visible columns, or all of
// them), how the text must match, the direction (Up / Down / All, All first) and the case and format
// switches. "Find next" moves the dataset to the next row found and leaves the dialog open, moved off
// the row if it covered it; when nothing is found the dataset stays, the dialog beeps and says so.
//
// Use: setDataset(dsMain) once, then setSearch(current cell's text, current column's field name)
// and show() (or exec()) for each Find command.
class FindDialog : public QDialog {
    Q_OBJECT
public:
    explicit FindDialog(QWidget* parent = nullptr);

    // The one find dialog every grid of the program uses, created on first use as a child of
    // `owner`'s top-level window (the main window) and freed with it.
    static FindDialog* shared(QWidget* owner);

    // Fills the column list from the dataset's visible fields. The grid with the keyboard focus that
    // shows the dataset is the one whose found rows the dialog keeps in sight.
    void setDataset(Dataset* dataset);
    Dataset* dataset() const { return m_dataset; }
    // The text to find and the column to search in (by field name; unknown or empty: all columns).
    void setSearch(const QString& text, const QString& fieldName);

    GridFind::Options options() const;
    // The field searched, empty for all columns.
    QString fieldName() const;

public slots:
    // Searches from the dataset's current row; true and the dataset moved when found.
    bool findNext();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void keepRowInSight();
    void showResult(const QString& text);

    QPointer<Dataset> m_dataset;
    QPointer<QAbstractItemView> m_grid;
    QLabel* m_result = nullptr;
    QLineEdit* m_text = nullptr;
    QComboBox* m_column = nullptr;
    QComboBox* m_match = nullptr;
    QComboBox* m_direction = nullptr;
    QCheckBox* m_caseSensitive = nullptr;
    QCheckBox* m_formatSensitive = nullptr;
    QPushButton* m_findNext = nullptr;
    QPushButton* m_cancel = nullptr;
};
