#include "oltrex/qtcommon/GermanTexts.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QTranslator>

namespace oltrex::qtcommon {

bool installGermanTranslations(QCoreApplication& app) {
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    // Owned by the application: the texts are needed as long as it runs.
    auto* translator = new QTranslator(&app);
    if (!translator->load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

void germanButtons(QMessageBox& box) {
    static const struct {
        QMessageBox::StandardButton button;
        const char* text;
    } kTexts[] = {{QMessageBox::Ok, "OK"},
                  {QMessageBox::Cancel, "Abbrechen"},
                  {QMessageBox::Yes, "Ja"},
                  {QMessageBox::No, "Nein"},
                  {QMessageBox::Close, "Schließen"}};
    for (const auto& entry : kTexts) {
        QAbstractButton* button = box.button(entry.button);
        if (button) button->setText(QString::fromUtf8(entry.text));
    }
}

}  // namespace oltrex::qtcommon
