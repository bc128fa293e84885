#pragma once

#include "app/Skins.h"
#include "text/StrList.h"

#include <QBrush>
#include <QHash>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <optional>
#include <vector>

class DueReminder;
class QAction;
class QActionGroup;
class QComboBox;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class SqlConnection;
class THelpForm;

// The main frame: menus, toolbar with the table selector, status bar showing command hints, and the
// MDI area holding the data windows (at most one per window class). Its first showing loads its
// settings and brings the database schema up to date.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Child windows are created by class name through factories that the window units register, so
    // the frame does not depend on every window. Commands of a class without a factory stay greyed.
    using WindowFactory = std::function<QWidget*()>;
    static void registerWindow(const QString& className, WindowFactory factory);
    static bool hasWindow(const QString& className);

    // Finds an open child of exactly this class and brings it to the front, or creates one. Returns
    // the child's widget and tells through `existed` whether it was already open.
    QWidget* openOrActivate(const QString& className, bool* existed = nullptr);
    // The open child of this class, or nullptr; never creates one.
    QWidget* findChildWindow(const QString& className) const;
    QWidget* activeChild() const;

    QMdiArea* mdiArea() const { return m_mdi; }
    QAction* action(const QString& name) const;
    QString programVersion() const { return m_version; }
    QStringList linkedTableNames() const { return m_linkedNames; }
    QString rememberedSkin() const;
    QMenu* skinMenu() const { return m_skinMenu; }
    const Skins& skins() const { return m_skins; }

    // Switches a data window to its table view (grid panel shown, form panel hidden) or to its form
    // view on form page `page` (-1 keeps the page). A window without the two panels is left alone.
    static void switchView(QWidget* window, bool formView, int page = -1);

    // The main window takes `font` (at most 12 points) and passes it to every open child window.
    void applyFont(QFont font);
    // Opens the help window on help/index.html, or says where the help was looked for.
    void OpenHelpExecute();
    THelpForm* helpForm() const;
    // The full path of the database file in use (empty before the data module exists).
    QString databasePath() const;
    // Closes the child windows and goes on with the plant in `fileName`, checked and brought up to
    // date as at start-up. A file that cannot be opened is reported and changes nothing; a file is
    // never created. False when the plant in use stays.
    bool openDatabase(const QString& fileName);

    // The menus, the toolbar and the windows opened from now on speak `language` (0 English, 1
    // Russian); the choice is kept in the settings file. Windows already open keep their texts.
    void chooseLanguage(int language);

    // Re-evaluates every command's enabling; runs whenever the application goes idle.
    void updateActions();

    // The services schedule narrowed to what is overdue or due within the reminder horizon (the
    // start-up notice's button).
    void openDueSchedule();
    // A database the program may only read: said in the status bar and, when `tell`, in one notice.
    void showReadOnly(SqlConnection& connection, bool tell);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void createActions();
    void setCommandIcons();
    void createMenus();
    void createToolBar();
    void FormFirstShow();
    void databaseOpened();
    void showDatabaseName();
    void updateRecentMenu();
    void OpenDatabaseExecute();
    void loadSettings();
    void saveSettings();
    void sComboTableChange(int index);
    void restoreMinimised();
    void tile(Qt::Orientation orientation);
    void FontEdit1Accept();
    void PreviewExecute();
    void SaveAsExecute();
    void SelectAllExecute();
    void FindExecute();
    void CheckComplectExecute();
    void ViewMenuShow();
    void HelpAbout1Execute();
    void buildSkinMenu();
    void applyRememberedSkin();
    bool selectSkinItem(const QString& name);
    bool applySkin(const QString& name);
    void SkinItemClick(QAction* item);
    QAction* addCommand(const QString& name, Str caption, std::optional<Str> hint = {});
    // Runs `apply`, which gives a part of this window its texts, now and again when the language changes.
    void translated(std::function<void()> apply);
    void buildLanguageMenu(QMenu* options);
    // Bringing devices in from a spreadsheet, and the empty table to fill for it.
    void addImportCommands(QMenu* file);
    void ImportDevicesExecute();
    void ImportTemplateExecute();

    QMdiArea* m_mdi;
    QComboBox* m_tableSelector = nullptr;
    QLabel* m_databaseLabel = nullptr;
    QMenu* m_skinMenu = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_languageMenu = nullptr;
    std::vector<std::function<void()>> m_translations;
    QAction* m_recentSeparator = nullptr;
    QList<QAction*> m_recentItems;
    QActionGroup* m_skinGroup = nullptr;
    DueReminder* m_dueReminder = nullptr;
    Skins m_skins;
    QBrush m_plainMdiBackground;
    // Set while the remembered skin is being applied, so that checking its item is not a user's choice.
    bool m_applyingSkin = false;
    QPointer<THelpForm> m_help;
    QHash<QString, QAction*> m_actions;
    QString m_version;
    QStringList m_linkedNames;
    QString m_skinName;
    bool m_firstShown = false;
    bool m_settingsSaved = false;
};
