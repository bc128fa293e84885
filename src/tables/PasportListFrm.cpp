#include "tables/PasportListFrm.h"

#include "data/Dataset.h"

TPasportListForm::TPasportListForm(QWidget* parent) : TBaseForm(createDataset(), mainQuery(), parent)
{
    setObjectName(QStringLiteral("PasportListForm"));
    setWindowTitle(QStringLiteral("Pasport"));
    setRowIdentityField(QStringLiteral("ID_Device"));
}

Dataset* TPasportListForm::createDataset()
{
    auto* dataset = new Dataset;
    dataset->setObjectName(QStringLiteral("dsMain"));
    return dataset;
}
