// The two forms as the user sees them: every control's place, size, text and
// colour, the short window without "/d", the info form and the boxes.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>

#include "../FlasherTestSupport.h"
#include "QtFlasherPrompts.h"
#include "QtTestSupport.h"
#include "TForm2.h"
#include "TFormInfo.h"
#include "oltrex/fwflasher/CommandLine.h"

using namespace flashertest;

namespace {

class FormTest : public ::testing::Test {
protected:
    FlasherServices services() {
        FlasherServices s;
        s.keys = &keys;
        s.port = &port;
        s.clock = &clock;
        s.prompts = &prompts;
        s.image = carriedImage();
        s.imageLabel = fwFlasherFirmwareLabel();
        return s;
    }

    QApplication& app = qtApplication();
    StepClock clock;
    BootLoaderPort port{clock};
    SetKeyLibrary keys;
    ScriptedPrompts prompts;
    TFormInfo info;
};

void expectLabel(QLabel* label, int left, int top, const char* text) {
    SCOPED_TRACE(text);
    EXPECT_EQ(label->pos(), QPoint(left, top));
    EXPECT_EQ(label->text(), QString::fromUtf8(text));
    EXPECT_GE(label->width(), label->fontMetrics().horizontalAdvance(label->text()));
}

TEST_F(FormTest, MainFormHoldsEveryControlInItsPlaceWithItsText) {
    TForm2 form(services(), info, true);
    EXPECT_EQ(form.windowTitle(), "OLTREX-Key-Refresh");
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pointSize(), 8);
    expectLabel(form.Label1, 16, 16, "OltrexStick Seriennummer:");
    expectLabel(form.LabelStickSnr, 168, 16, " ---");
    expectLabel(form.Label3, 16, 40, "Stick-Firmware:");
    expectLabel(form.LabelStickFw, 168, 40, " ---");
    expectLabel(form.Label2, 16, 64, "neue Firmware:");
    expectLabel(form.LabelFw, 168, 64, " ---");
    expectLabel(form.Label5, 16, 144, "Status:");
    EXPECT_EQ(form.Label4->text(), "---");
    EXPECT_EQ(form.Label4->y(), 144);
    EXPECT_EQ(form.Image1->geometry(), QRect(296, 8, 57, 57));
    EXPECT_EQ(form.ButtonUpgrade->geometry(), QRect(32, 88, 75, 25));
    EXPECT_EQ(form.ButtonUpgrade->text(), "Update");
    EXPECT_EQ(form.ButtonCancel->geometry(), QRect(264, 88, 75, 25));
    EXPECT_EQ(form.ButtonCancel->text(), "Ende");
    EXPECT_EQ(form.ButtonUpgrade->nextInFocusChain(), form.ButtonCancel);
    EXPECT_EQ(form.ProgressBarDownload->geometry(), QRect(16, 120, 337, 16));
    EXPECT_EQ(form.ProgressBarDownload->minimum(), 0);
    EXPECT_EQ(form.ProgressBarDownload->maximum(), 100);
    EXPECT_EQ(form.ProgressBarDownload->value(), 0);
    EXPECT_EQ(form.Memo1->geometry(), QRect(16, 168, 337, 217));
    EXPECT_EQ(form.Memo1->toPlainText(), "Memo1");
    EXPECT_EQ(form.Memo1->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
}

// "Status:" and the status text never touch, whatever width the font found
// here gives the label: the status stands at 56 or, when the label reaches
// further, a gap behind it.
TEST_F(FormTest, TheStatusTextKeepsItsGapAfterStatus) {
    TForm2 form(services(), info, true);
    const int labelEnd = form.Label5->x() + form.Label5->fontMetrics().horizontalAdvance("Status:");
    EXPECT_GE(form.Label4->x() - labelEnd, 5);
    EXPECT_GE(form.Label4->x(), 56);
    EXPECT_LE(form.Label4->x(), std::max(56, labelEnd + 8)) << "no further than the gap needs";
    const int x = form.Label4->x();
    form.showStatus("Datentransfer abgeschlossen", oltrex::fwflasher::kColourBlue);
    EXPECT_EQ(form.Label4->x(), x) << "a new status keeps the place";
}

TEST_F(FormTest, MainFormIsAFixedDialogOf366By397WithTheMemo) {
    TForm2 form(services(), info, true);
    EXPECT_EQ(form.size(), QSize(366, 397));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.Memo1->isHidden());
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(FormTest, MainFormIs190PixelsHighWithoutTheMemoWhenNoSlashDWasGiven) {
    TForm2 form(services(), info, debugViewRequested({"-x", "update"}));
    EXPECT_EQ(form.height(), 190);
    EXPECT_EQ(form.width(), 366);
    EXPECT_TRUE(form.Memo1->isHidden());
    // The status line stays inside the window.
    EXPECT_LE(form.Label4->geometry().bottom(), 190);
}

TEST_F(FormTest, MainFormKeepsTheMemoForAnArgumentThatMerelyContainsSlashD) {
    TForm2 form(services(), info, debugViewRequested({"/dump"}));
    EXPECT_EQ(form.height(), 397);
    EXPECT_FALSE(form.Memo1->isHidden());
}

TEST_F(FormTest, StatusColoursAreRedGreenAndBlueOnTheScreen) {
    TForm2 form(services(), info, true);
    form.showStatus("Fehler", oltrex::fwflasher::kColourRed);
    EXPECT_EQ(textColour(form.Label4), QColor(255, 0, 0));
    form.showStatus("Datentransfer läuft", oltrex::fwflasher::kColourGreen);
    EXPECT_EQ(textColour(form.Label4), QColor(0, 128, 0));
    EXPECT_EQ(form.Label4->text(), QString::fromUtf8("Datentransfer läuft"));
    form.showStatus("Datentransfer abgeschlossen", oltrex::fwflasher::kColourBlue);
    EXPECT_EQ(textColour(form.Label4), QColor(0, 0, 255));
    EXPECT_GE(form.Label4->width(), form.Label4->fontMetrics().horizontalAdvance(form.Label4->text()));
}

TEST_F(FormTest, InfoFormHoldsItsTextsAndCloses) {
    EXPECT_EQ(info.windowTitle(), "Oltrex Info");
    EXPECT_EQ(info.size(), QSize(369, 192));
    EXPECT_EQ(info.minimumSize(), info.maximumSize());
    EXPECT_EQ(info.SerNbr->text(), "Stick-ID: ---- ");
    EXPECT_EQ(info.SerNbr->font().family(), "Arial");
    EXPECT_EQ(info.SerNbr->font().pointSize(), 8);
    EXPECT_EQ(info.ButtonBack->text(), QString::fromUtf8("zurück"));
    EXPECT_EQ(info.Image1->pixmap().size(), QSize(129, 105));
    for (QLabel* line : {info.LabelName, info.LabelStreet, info.LabelTown, info.LabelWeb}) {
        EXPECT_FALSE(line->text().isEmpty());
        EXPECT_EQ(line->font().family(), "Arial");
        EXPECT_EQ(line->font().pointSize(), 10);
        EXPECT_TRUE(info.Panel1->isAncestorOf(line));
    }
    info.show();
    QTest::mouseClick(info.ButtonBack, Qt::LeftButton);
    EXPECT_FALSE(info.isVisible());
}

TEST_F(FormTest, ClickOnTheKeyPictureShowsTheInfoFormWithDashesForAnOddKeyId) {
    keys.serialRecord = " StickID: OX0012345678 FW-0120";  // key ID of 20 characters
    TForm2 form(services(), info, true);
    form.show();
    bool shownModally = false;
    QTimer::singleShot(0, [&] {
        shownModally = info.isVisible() && QApplication::activeModalWidget() == &info;
        info.ButtonBack->click();
    });
    QTest::mouseClick(form.Image1, Qt::LeftButton);
    EXPECT_TRUE(shownModally);
    EXPECT_EQ(info.SerNbr->text(), "Stick-ID: ---");
    EXPECT_EQ(form.LabelStickSnr->text(), " OX00123456");
    EXPECT_FALSE(info.isVisible());
}

TEST_F(FormTest, ShowingTheFormAsksForTheConditionsOnceAndEndsWhenTheyAreDeclined) {
    prompts = ScriptedPrompts({PromptAnswer::Cancel});
    TForm2 form(services(), info, true);
    QSignalSpy ended(&form, &TForm2::programEndRequested);
    form.show();
    ASSERT_TRUE(waitFor([&] { return !ended.isEmpty(); }, 2000));
    EXPECT_TRUE(waitFor([&] { return !form.isVisible(); }, 2000));
    EXPECT_EQ(prompts.shown.size(), 1u);
    EXPECT_EQ(keys.serialCalls, 0);
    form.show();
    QTest::qWait(20);
    EXPECT_EQ(prompts.shown.size(), 1u) << "the form is read once only";
}

TEST_F(FormTest, EndeClosesTheMainForm) {
    TForm2 form(services(), info, true);
    form.FormShow();
    form.show();
    QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    EXPECT_FALSE(form.isVisible());
}

// Clicks the button with `text` of the message box that is open.
void answerOpenBox(const QString& text) {
    QTimer::singleShot(0, [text] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        for (QAbstractButton* button : box->buttons()) {
            if (button->text() == text) button->click();
        }
    });
}

TEST_F(FormTest, MessageBoxesOfferOkAndAbbrechen) {
    QtFlasherPrompts boxes;
    answerOpenBox("Abbrechen");
    EXPECT_EQ(boxes.ask(PromptKind::Question, "Wichtige Bedingungen:", "Text", PromptButtons::OkCancel),
              PromptAnswer::Cancel);
    answerOpenBox("OK");
    EXPECT_EQ(boxes.ask(PromptKind::Error, "Softwareupdate:", "Text", PromptButtons::OkCancel),
              PromptAnswer::Ok);
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        EXPECT_EQ(box->buttons().size(), 1);
        EXPECT_EQ(box->windowTitle(), "Softwareupdate:");
        QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(boxes.ask(PromptKind::Warning, "Softwareupdate:", "Warnung", PromptButtons::Ok),
              PromptAnswer::Ok);
}

TEST_F(FormTest, BoxesStandInTheMiddleOfTheFormOrOfTheScreenBeforeItIsShown) {
    TForm2 form(services(), info, true);
    QtFlasherPrompts boxes;
    boxes.setParent(&form);
    QPoint centre;
    auto answerAndMeasure = [&centre] {
        QTimer::singleShot(0, [&centre] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            centre = box->frameGeometry().center();
            box->buttons().front()->click();
        });
    };
    answerAndMeasure();
    boxes.ask(PromptKind::Question, "Wichtige Bedingungen:", "Text", PromptButtons::OkCancel);
    EXPECT_LE((centre - QGuiApplication::primaryScreen()->availableGeometry().center()).manhattanLength(), 2);
    form.move(20, 30);
    form.show();
    answerAndMeasure();
    boxes.ask(PromptKind::Warning, "Softwareupdate:", "Warnung", PromptButtons::Ok);
    EXPECT_LE((centre - form.frameGeometry().center()).manhattanLength(), 2);
}

TEST_F(FormTest, EscapeOnAnOkCancelBoxAnswersAbbrechen) {
    QtFlasherPrompts boxes;
    QTimer::singleShot(0, [] {
        if (QWidget* box = QApplication::activeModalWidget()) QTest::keyClick(box, Qt::Key_Escape);
    });
    EXPECT_EQ(boxes.ask(PromptKind::Question, "Wichtige Bedingungen:", "Text", PromptButtons::OkCancel),
              PromptAnswer::Cancel);
}

}  // namespace
