#pragma once

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QVariant>
#include <functional>

class Dataset;
class QTableView;

// A lookup editor: a combo box that shows the name behind a key and offers the rows of a list
// dataset to choose from. Its pop-up is a table with titled columns (a type shows its name and its
// model, a crew its department and its name), so that rows with equal names can be told apart.
//
// The list is read live from the dataset: it follows re-queries and is empty while the dataset is
// closed. The editor keeps the key it shows, also when the list changes under it.
//
// The user chooses with the mouse or the keys; Delete or Backspace on the closed box clears the
// choice. keyChosen() then reports the new key (null when cleared); setKeyValue() never does.
class LookupEditor : public QComboBox {
    Q_OBJECT
public:
    struct Column {
        QString field;
        QString title;
    };

    explicit LookupEditor(QWidget* parent = nullptr);

    // `keyField` of `list` holds the key; `displayField` the text shown in the closed box. `columns`
    // are the pop-up's columns in order, with their titles; without any, the display field alone is
    // shown under the list field's label. A list whose titles are all missing or mere field names
    // shows no title row.
    void setList(Dataset* list, const QString& keyField, const QString& displayField, const QList<Column>& columns = {});
    Dataset* list() const { return m_list; }
    const QString& keyField() const { return m_keyField; }
    const QString& displayField() const { return m_displayField; }

    QVariant keyValue() const { return m_key; }
    // Shows the row whose key is `key` (nothing when no row has it, the key is kept all the same).
    void setKeyValue(const QVariant& key);

    QTableView* tableView() const { return m_table; }
    // A click on a title of the pop-up sorts the list dataset in memory by that column, ascending,
    // then descending on the next click.
    void setSortableByTitles();
    // The pop-up's width, asked each time it drops down (a rule of the window's layout); without one
    // it is as wide as its columns.
    void setPopupWidth(std::function<int()> width) { m_popupWidth = std::move(width); }

    // Opens the pop-up on behalf of the user (the next list after a choice), only while the box can
    // be seen in the active window: a list never drops down over another window or a hidden page.
    void showPopupWhereVisible();
    void showPopup() override;
    void hidePopup() override;

signals:
    void keyChosen(const QVariant& key);
    // The pop-up the user opened has closed: after the row chosen with it, if any, was reported by
    // keyChosen() and written where the editor is bound (`chosen` then true). The box hidden with its
    // window or its page is no close-up.
    void closedUp(bool chosen);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void rebuildColumns();
    void showKey();
    void userActivated(int row);
    void finishCloseUp(bool chosen);
    void sortBy(int column, Qt::SortOrder order);
    static bool sameKey(const QVariant& a, const QVariant& b);

    QPointer<Dataset> m_list;
    QString m_keyField;
    QString m_displayField;
    QList<Column> m_columns;
    QTableView* m_table = nullptr;
    class ListModel;
    ListModel* m_model = nullptr;
    QVariant m_key;
    bool m_showing = false;
    bool m_popupOpen = false;
    bool m_closeUpPending = false;
    std::function<int()> m_popupWidth;
};
