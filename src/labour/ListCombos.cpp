#include "labour/ListCombos.h"

#include "app/Application.h"
#include "data/Dataset.h"

#include <QComboBox>

DatasetSelector::DatasetSelector(QComboBox* combo, Dataset* dataset, const QString& keyField,
                                 const QString& textField, std::function<void()> beforeMove)
    : QObject(combo), m_combo(combo), m_dataset(dataset), m_keyField(keyField), m_textField(textField),
      m_beforeMove(std::move(beforeMove))
{
    connect(dataset, &Dataset::rowsReplaced, this, &DatasetSelector::refresh);
    connect(dataset, &Dataset::fieldsChanged, this, &DatasetSelector::refresh);
    connect(dataset, &Dataset::currentChanged, this, &DatasetSelector::showCurrent);
    connect(combo, &QComboBox::activated, this, [this](int index) {
        if (!m_filling && index >= 0)
            choose(m_combo->itemData(index));
    });
}

void DatasetSelector::refresh()
{
    if (!m_combo || !m_dataset)
        return;
    m_filling = true;
    m_combo->clear();
    if (m_dataset->isActive()) {
        const int key = m_dataset->fieldIndex(m_keyField);
        const int text = m_dataset->fieldIndex(m_textField);
        for (int row = 0; row < m_dataset->recordCount(); ++row)
            m_combo->addItem(m_dataset->displayText(row, text), m_dataset->valueAt(row, key));
    }
    m_filling = false;
    showCurrent();
}

void DatasetSelector::showCurrent()
{
    if (!m_combo || !m_dataset)
        return;
    m_filling = true;
    m_combo->setCurrentIndex(m_dataset->isActive() ? m_dataset->currentRow() : -1);
    m_filling = false;
}

void DatasetSelector::choose(const QVariant& key)
{
    const bool moved = InstrelApplication::guarded([&] {
        if (m_beforeMove)
            m_beforeMove();
        m_dataset->locate(m_keyField, key);
    });
    if (!moved)
        showCurrent();
}
