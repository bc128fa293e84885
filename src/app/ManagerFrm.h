#pragma once

#include <QWidget>

class QTreeWidget;
class QTreeWidgetItem;
class TMainForm;

// The table/form manager: every data window, and within it every view and page, as a tree. A double
// click on a node opens or activates that window and switches it to the node's view or page; the
// node's code says which.
class TManagerForm : public QWidget {
    Q_OBJECT
public:
    // Codes of the nodes; the linked tables take LinkedTablesCode + their place in the list.
    enum Code {
        DeviceTable = 0,
        TypeTable = 10,
        TypeForm = 11,
        ServiceTable = 20,
        ServiceForm = 21,
        ReportTable = 30,
        ReportChart = 31,
        MalfunctionTable = 40,
        MalfunctionParameters = 42,
        AccountTable = 50,
        AccountForm = 51,
        LinkedTablesCode = 60,
    };

    explicit TManagerForm(QWidget* parent = nullptr);

    QTreeWidget* tree() const { return m_tree; }
    static int codeOf(const QTreeWidgetItem* item);

    // What a double click on a node carrying `code` does; codes that name nothing do nothing.
    void runCode(int code);
    void TreeView1DblClick();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildTree();
    QTreeWidgetItem* addNode(QTreeWidgetItem* parent, const QString& caption, int code);
    TMainForm* mainForm() const;
    QWidget* frame();
    void loadSettings();
    void saveSettings();

    QTreeWidget* m_tree;
    bool m_settingsLoaded = false;
};
