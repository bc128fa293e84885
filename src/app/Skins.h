#pragma once

#include <QString>
#include <QStringList>

// The skin engine: a skin is a Qt style sheet `<name>.qss` in the skins directory, applied to the
// whole application. "Neutral" is the plain look; it needs no file, but a Neutral.qss is used if
// there is one.
class Skins {
public:
    static QString neutralName() { return QStringLiteral("Neutral"); }
    // The "skins" directory of the current folder, or where the program is installed when the
    // current folder has none.
    static QString defaultDirectory();

    explicit Skins(const QString& directory = defaultDirectory());

    bool directoryExists() const;
    // The base names of the sheets, sorted by name; empty without the directory.
    QStringList names() const;
    // The skin applied last; empty until one is.
    const QString& current() const { return m_current; }
    QString fileOf(const QString& name) const;

    // Applies the sheet of `name` (letter case as in the file name). A sheet that cannot be read is
    // reported and the current skin stays; returns whether the skin is now applied.
    bool apply(const QString& name);

private:
    QString m_directory;
    QString m_current;
};
