#pragma once

// Qt's own dialogs (save, print, page setup, message boxes) and the editors' context menus speak the
// program's language only with Qt's translations loaded. Loads them for `language` (the string
// table's index: 0 English needs none) from where Qt keeps them, replacing any loaded before.
// False when they are not installed (Debian: qt6-translations-l10n); Qt then speaks English.
bool installQtTranslations(int language);
