#pragma once

#include <QDialog>

class QTextBrowser;

// The program's help: the HTML pages under "help" (see indexPath()), read in a window of its
// own beside the main window, with back, forward and contents buttons.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    // The help file the program was given at start-up ("help/index.html" unless set otherwise).
    static QString helpFileName();
    // That file in the current folder, or where the program is installed when the current folder
    // has none.
    static QString indexPath();
    // Every place the file is looked for, in order.
    static QStringList placesLookedIn();

    explicit THelpForm(QWidget* parent = nullptr);

    QTextBrowser* browser() const { return m_browser; }
    // Shows the page `fileName`; false when there is no such file.
    bool openPage(const QString& fileName);

protected:
    void changeEvent(QEvent* event) override;

private:
    void followSkin();
    void updateTitle();

    QTextBrowser* m_browser;
};
