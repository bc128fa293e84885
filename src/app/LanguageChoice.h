#pragma once

#include <QString>

// The language the user chose for the interface (Options > Language), kept in the settings file as
// the key Language of the section [TMainForm]: "en" or "ru". Without it the build's language holds.
namespace LanguageChoice {

// The stored choice as a string-table index (0 English, 1 Russian), or -1 when none is stored.
int stored(const QString& settingsFile);
void store(const QString& settingsFile, int language);

// The string table and Qt's own dialogs speak `language` from now on.
void apply(int language);

// At start-up, before any window: the stored choice, if any, applied.
void applyStored(const QString& settingsFile);

} // namespace LanguageChoice
