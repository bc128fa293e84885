#pragma once

#include <QDialog>

// The about box: the program's name and version and where to find its makers.
class TAboutForm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutForm(const QString& programVersion, QWidget* parent = nullptr);

protected:
    // The background picture: a gauge dial over a soft gradient, drawn so that it scales with the box.
    void paintEvent(QPaintEvent* event) override;
};
