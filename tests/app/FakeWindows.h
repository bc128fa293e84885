#pragma once

// Stand-ins for the data windows, with the class names the main window and the manager look for, so
// that the frame's rules can be tested without databases. They live in an anonymous namespace: the
// real classes of the same names may be linked into the same test.

#include "app/MainFrm.h"

#include <QAction>
#include <QHash>
#include <QLineEdit>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTableView>
#include <QVBoxLayout>

namespace {

// A plain window with a grid and an editor, as the linked tables window is built.
class PlainGridWindow : public QWidget {
    Q_OBJECT
public:
    PlainGridWindow()
    {
        auto* layout = new QVBoxLayout(this);
        editor = new QLineEdit(this);
        grid = new QTableView(this);
        grid->setObjectName(QStringLiteral("gridPlain"));
        grid->setModel(new QStandardItemModel(4, 2, grid));
        grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        grid->setSelectionMode(QAbstractItemView::ExtendedSelection);
        layout->addWidget(editor);
        layout->addWidget(grid);
        resize(300, 200);
    }
    QLineEdit* editor;
    QTableView* grid;
};

// The generic table window's frame: grid panel, form panel with pages, and the commands the main
// window forwards, each counting how often it ran.
class TBaseForm : public QWidget {
    Q_OBJECT
public:
    explicit TBaseForm(int pages = 1)
    {
        auto* layout = new QVBoxLayout(this);
        gridPanel = new QWidget(this);
        gridPanel->setObjectName(QStringLiteral("GridPanel"));
        auto* gridLayout = new QVBoxLayout(gridPanel);
        grid = new QTableView(gridPanel);
        grid->setObjectName(QStringLiteral("gridPasport"));
        grid->setModel(new QStandardItemModel(3, 2, grid));
        gridLayout->addWidget(grid);
        formPanel = new QTabWidget(this);
        formPanel->setObjectName(QStringLiteral("FormPanel"));
        for (int i = 0; i < pages; ++i)
            formPanel->addTab(new QLineEdit(formPanel), QStringLiteral("TabSheet%1").arg(i + 1));
        formPanel->hide();
        layout->addWidget(gridPanel);
        layout->addWidget(formPanel);
        for (const char* name : {"Swap", "Print", "Save", "SelectAll", "Find", "OpenPropForm"}) {
            auto* action = new QAction(QString::fromLatin1(name), this);
            action->setObjectName(QString::fromLatin1(name));
            connect(action, &QAction::triggered, this, [this, name] { ++runs[QString::fromLatin1(name)]; });
        }
        connect(findChild<QAction*>(QStringLiteral("Swap")), &QAction::triggered, this, [this] {
            const bool toForm = !gridPanel->isHidden();
            gridPanel->setHidden(toForm);
            formPanel->setHidden(!toForm);
        });
        resize(400, 300);
    }

    bool isFormView() const { return !formPanel->isHidden() && gridPanel->isHidden(); }
    Q_INVOKABLE void fontChanged() { ++fontChanges; }

    QWidget* gridPanel;
    QTabWidget* formPanel;
    QTableView* grid;
    QHash<QString, int> runs;
    int fontChanges = 0;
};

class TDeviceForm : public TBaseForm {
    Q_OBJECT
    Q_PROPERTY(bool ComplectVisible READ ComplectVisible WRITE setComplectVisible)
public:
    TDeviceForm() : TBaseForm(5) { setWindowTitle(QStringLiteral("Паспорта")); }
    bool ComplectVisible() const { return m_complect; }
    void setComplectVisible(bool visible) { m_complect = visible; }

private:
    bool m_complect = false;
};

class TMalfunctionForm : public TBaseForm {
    Q_OBJECT
public:
    TMalfunctionForm() : TBaseForm(2) {}
};

class TReportForm : public TBaseForm {
    Q_OBJECT
public:
    TReportForm() : TBaseForm(1) {}
};

// The linked tables window as the manager sees it: it selects pages on request.
class TSpravForm : public PlainGridWindow {
    Q_OBJECT
public:
    Q_INVOKABLE void SelectPage(int index) { pages.append(index); }
    QList<int> pages;
};

template <typename T>
void registerFake()
{
    TMainForm::registerWindow(QString::fromLatin1(T::staticMetaObject.className()), [] { return new T; });
}

} // namespace
