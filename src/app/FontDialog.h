#pragma once

#include <QDialog>
#include <QFont>

class QCheckBox;
class QComboBox;
class QFontComboBox;
class QLabel;

// The font of the Options menu: family, size, style and effects, with a sample. Only the sizes the
// windows can take are offered (larger type does not fit the button columns of the table windows),
// so no choice is silently cut afterwards.
class FontDialog : public QDialog {
    Q_OBJECT
public:
    static constexpr int MinPointSize = 6;
    static constexpr int MaxPointSize = 12;

    explicit FontDialog(const QFont& initial, QWidget* parent = nullptr);

    QFont selectedFont() const;
    // The point sizes offered, smallest first.
    QList<int> offeredSizes() const;

private:
    void showSample();

    QFontComboBox* m_family = nullptr;
    QComboBox* m_size = nullptr;
    QCheckBox* m_bold = nullptr;
    QCheckBox* m_italic = nullptr;
    QCheckBox* m_underline = nullptr;
    QCheckBox* m_strikeOut = nullptr;
    QLabel* m_sample = nullptr;
};
