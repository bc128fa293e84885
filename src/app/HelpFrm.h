#pragma once

#include <QDialog>

class QTextBrowser;

// The program's help: the HTML pages under "help" in the current directory, read in a window of its
// own beside the main window, with back, forward and contents buttons.
class THelpForm : public QDialog {
    Q_OBJECT
public:
    // The help file the program was given at start-up ("help/index.html" unless set otherwise).
    static QString helpFileName();
    // That file under the current directory, where the help is looked up.
    static QString indexPath();

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
