#pragma once

#include <QWidget>

class QPlainTextEdit;

// The SQL monitor: while it is open, every statement that passes the connection is appended, with
// its parameters, exactly as it is sent to the engine. Its text can be edited and is never saved.
class TMonitorForm : public QWidget {
    Q_OBJECT
public:
    explicit TMonitorForm(QWidget* parent = nullptr);
    ~TMonitorForm() override;

    QPlainTextEdit* memo() const { return m_memo; }
    void appendLine(const QString& line);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void saveSettings();
    QPlainTextEdit* m_memo;
    bool m_settingsLoaded = false;
};
