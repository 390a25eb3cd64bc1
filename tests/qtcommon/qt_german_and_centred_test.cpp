// Qt's own texts in German, and message boxes in the middle of their window
// or, while that is not shown, of the screen (offscreen platform).
#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTimer>
#include <memory>

#include "oltrex/qtcommon/CentredMessageBox.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace oltrex::qtcommon {
namespace {

QApplication& app() {
    static QApplication* application = [] {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        static int argc = 1;
        static char name[] = "qtcommon-test";
        static char* argv[] = {name, nullptr};
        return new QApplication(argc, argv);
    }();
    return *application;
}

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text().section(QLatin1Char('\t'), 0, 0);
    return texts;
}

TEST(GermanTexts, QtsStandardButtonsAndContextMenusSpeakGerman) {
    ASSERT_TRUE(installGermanTranslations(app())) << "Qt's German translations are missing "
                                                     "(Debian: qt6-translations-l10n)";
    QMessageBox plain(QMessageBox::NoIcon, "t", "x", QMessageBox::Ok | QMessageBox::Cancel);
    EXPECT_EQ(plain.button(QMessageBox::Cancel)->text(), "Abbrechen");
    EXPECT_EQ(plain.button(QMessageBox::Ok)->text(), "OK");

    QLineEdit field;
    std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    EXPECT_TRUE(actionTexts(menu.get()).contains("&Kopieren")) << actionTexts(menu.get()).join('|').toStdString();
    EXPECT_TRUE(actionTexts(menu.get()).contains(QString::fromUtf8("Alles auswählen")));
    QPlainTextEdit memo;
    std::unique_ptr<QMenu> memoMenu(memo.createStandardContextMenu());
    EXPECT_TRUE(actionTexts(memoMenu.get()).contains(QString::fromUtf8("&Rückgängig")))
        << actionTexts(memoMenu.get()).join('|').toStdString();
}

TEST(GermanTexts, BoxesGetGermanButtonsEvenWithoutQtsTranslations) {
    app();
    CentredMessageBox box(QMessageBox::Question, "t", "x",
                          QMessageBox::Ok | QMessageBox::Cancel | QMessageBox::Yes | QMessageBox::No |
                              QMessageBox::Close);
    EXPECT_EQ(box.button(QMessageBox::Ok)->text(), "OK");
    EXPECT_EQ(box.button(QMessageBox::Cancel)->text(), "Abbrechen");
    EXPECT_EQ(box.button(QMessageBox::Yes)->text(), "Ja");
    EXPECT_EQ(box.button(QMessageBox::No)->text(), "Nein");
    EXPECT_EQ(box.button(QMessageBox::Close)->text(), QString::fromUtf8("Schließen"));
}

// Shows the box modally and gives the middle of its frame.
QPoint centreWhenShown(QMessageBox& box) {
    QPoint centre;
    QTimer::singleShot(0, [&] {
        centre = box.frameGeometry().center();
        box.done(0);
    });
    box.exec();
    return centre;
}

TEST(CentredMessageBox, StandsInTheMiddleOfTheScreenWhileItsWindowIsNotShown) {
    app();
    QWidget window;
    window.setGeometry(0, 0, 300, 200);  // never shown: where Qt would put a box
    auto* page = new QWidget(&window);
    CentredMessageBox box(QMessageBox::Warning, "UPDATE", "Ungültiger Key", QMessageBox::Ok, page);
    const QPoint middle = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((centreWhenShown(box) - middle).manhattanLength(), 2);
}

TEST(CentredMessageBox, StandsInTheMiddleOfItsShownWindowOwnedOrNot) {
    app();
    QWidget window;
    window.setGeometry(30, 40, 500, 400);
    window.show();
    CentredMessageBox owned(QMessageBox::Information, "t", "x", QMessageBox::Ok, &window);
    EXPECT_LE((centreWhenShown(owned) - window.frameGeometry().center()).manhattanLength(), 2);
    CentredMessageBox unowned(QMessageBox::Information, "t", "x", QMessageBox::Ok, nullptr, &window);
    EXPECT_EQ(unowned.parentWidget(), nullptr);
    EXPECT_LE((centreWhenShown(unowned) - window.frameGeometry().center()).manhattanLength(), 2);
}

}  // namespace
}  // namespace oltrex::qtcommon
