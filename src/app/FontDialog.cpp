#include "app/FontDialog.h"

#include "text/StrList.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

FontDialog::FontDialog(const QFont& initial, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FontDialog"));
    setWindowTitle(withoutAccelerator(hintShort(Text(Str::HintFont))));
    m_family = new QFontComboBox(this);
    m_family->setObjectName(QStringLiteral("cbFontFamily"));
    m_family->setCurrentFont(initial);
    m_size = new QComboBox(this);
    m_size->setObjectName(QStringLiteral("cbFontSize"));
    for (int size = MinPointSize; size <= MaxPointSize; ++size)
        m_size->addItem(QString::number(size), size);
    const int wanted = std::clamp(int(std::lround(initial.pointSizeF())), MinPointSize, MaxPointSize);
    m_size->setCurrentIndex(m_size->findData(wanted));

    auto* effects = new QGroupBox(Text(Str::FontEffects), this);
    m_bold = new QCheckBox(Text(Str::FontBold), effects);
    m_italic = new QCheckBox(Text(Str::FontItalic), effects);
    m_underline = new QCheckBox(Text(Str::FontUnderline), effects);
    m_strikeOut = new QCheckBox(Text(Str::FontStrikeOut), effects);
    m_bold->setChecked(initial.bold());
    m_italic->setChecked(initial.italic());
    m_underline->setChecked(initial.underline());
    m_strikeOut->setChecked(initial.strikeOut());
    auto* effectsLayout = new QVBoxLayout(effects);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        effectsLayout->addWidget(box);

    auto* sampleBox = new QGroupBox(Text(Str::FontSample), this);
    m_sample = new QLabel(Text(Str::FontSampleText), sampleBox);
    m_sample->setObjectName(QStringLiteral("FontSample"));
    m_sample->setAlignment(Qt::AlignCenter);
    m_sample->setMinimumHeight(60);
    (new QVBoxLayout(sampleBox))->addWidget(m_sample);

    auto* ok = new QPushButton(Text(Str::DlgOk), this);
    ok->setObjectName(QStringLiteral("btnOk"));
    ok->setDefault(true);
    auto* cancel = new QPushButton(Text(Str::DlgCancel), this);
    cancel->setObjectName(QStringLiteral("btnCancel"));
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* form = new QFormLayout;
    form->addRow(Text(Str::FontFamily), m_family);
    form->addRow(Text(Str::FontSize), m_size);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(effects);
    layout->addWidget(sampleBox);
    layout->addLayout(buttons);

    connect(m_family, &QFontComboBox::currentFontChanged, this, &FontDialog::showSample);
    connect(m_size, &QComboBox::currentIndexChanged, this, &FontDialog::showSample);
    for (QCheckBox* box : {m_bold, m_italic, m_underline, m_strikeOut})
        connect(box, &QCheckBox::toggled, this, &FontDialog::showSample);
    showSample();
}

QFont FontDialog::selectedFont() const
{
    QFont font = m_family->currentFont();
    font.setPointSize(m_size->currentData().toInt());
    font.setBold(m_bold->isChecked());
    font.setItalic(m_italic->isChecked());
    font.setUnderline(m_underline->isChecked());
    font.setStrikeOut(m_strikeOut->isChecked());
    return font;
}

QList<int> FontDialog::offeredSizes() const
{
    QList<int> sizes;
    for (int i = 0; i < m_size->count(); ++i)
        sizes.append(m_size->itemData(i).toInt());
    return sizes;
}

void FontDialog::showSample() { m_sample->setFont(selectedFont()); }
