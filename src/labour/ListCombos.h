#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class Dataset;
class QComboBox;

// A list-only combo that chooses the current row of a dataset (the crew selectors): it lists one
// column of the dataset's rows keyed by another and shows the current row. When the user picks a row,
// `beforeMove` runs first (the page stores its pending edits there, so they stay with the row they
// were made on); if it throws, the choice is taken back and the error is shown.
class DatasetSelector : public QObject {
    Q_OBJECT
public:
    DatasetSelector(QComboBox* combo, Dataset* dataset, const QString& keyField, const QString& textField,
                    std::function<void()> beforeMove = {});

    // Re-reads the list and shows the current row (the page calls it after opening the dataset).
    void refresh();
    // What the user does: choose the row whose key is `key`.
    void choose(const QVariant& key);

private:
    void showCurrent();

    QPointer<QComboBox> m_combo;
    QPointer<Dataset> m_dataset;
    QString m_keyField;
    QString m_textField;
    std::function<void()> m_beforeMove;
    bool m_filling = false;
};
