#pragma once
// The windows speak German, Qt's own texts included: the standard buttons of
// message boxes and the context menus of text fields come from Qt's German
// translations (Debian: qt6-translations-l10n).
class QCoreApplication;
class QMessageBox;

namespace oltrex::qtcommon {

// Loads Qt's German translations into the application and makes German the
// default locale. false when the translations are not installed; the boxes
// then still get German button texts from germanButtons().
bool installGermanTranslations(QCoreApplication& app);

// Sets German texts on the standard buttons a box has ("OK", "Abbrechen",
// "Ja", "Nein", "Schließen"), whether or not Qt's translations are there.
void germanButtons(QMessageBox& box);

}  // namespace oltrex::qtcommon
