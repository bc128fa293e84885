#pragma once

#include "tables/BaseFrm.h"

// The device passports as a plain table window over the Pasport view: every command of the base
// window and nothing more. It serves until the device window exists, and in tests.
class TPasportListForm : public TBaseForm {
    Q_OBJECT
public:
    static QString mainQuery() { return QStringLiteral("select * from Pasport;"); }

    explicit TPasportListForm(QWidget* parent = nullptr);

private:
    // Built before the base class so that the base can bind it; the base makes it the window's child.
    static Dataset* createDataset();
};
