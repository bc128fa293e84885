#pragma once

#include <QDialog>

// The about box: the program's name and version, the database file in use (a user with two plants
// tells them apart) and where to find its makers.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    TAboutForm(const QString& programVersion, const QString& databasePath, QWidget* parent = nullptr);

protected:
    // The background picture: a gauge dial over a soft gradient, drawn so that it scales with the box.
    void paintEvent(QPaintEvent* event) override;
};
