// The main dialog as built: its controls, texts, proportions, title, icon,
// the check box from "MakeEU" and the About box.
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>

#include "GuiTestKit.h"
#include "oltrex/keyfetch/gui/MainDialogLayout.h"

using namespace guitest;
using namespace oltrex;

namespace {

class MainDialogControls : public ::testing::Test {
protected:
    std::unique_ptr<CKeyFetchDlg> open() { return std::make_unique<CKeyFetchDlg>(bench.setup(false)); }
    Bench bench;
};

QString textOf(QWidget* w) {
    if (auto* b = qobject_cast<QPushButton*>(w)) return b->text();
    if (auto* c = qobject_cast<QCheckBox*>(w)) return c->text();
    if (auto* g = qobject_cast<QGroupBox*>(w)) return g->title();
    if (auto* l = qobject_cast<QLabel*>(w)) return l->text();
    if (auto* p = qobject_cast<QProgressBar*>(w)) return p->accessibleName();
    return {};
}

}  // namespace

TEST_F(MainDialogControls, EveryControlOfTheTemplateExistsWithItsKindAndText) {
    auto dlg = open();
    // Texts before the session's strings are copied in.
    const std::map<QString, QString> resourceTexts = {
        {"IDC_1", "Start"}, {"IDC_2", "Exit"}, {"GroupOltrexKey", "OLTREX-Key"},
        {"IDC_1000", "DDD-Datei erstellen"}, {"LabelOptions", "Zusatz-Optionen:"},
        {"IDC_4", "Einlesen der SD-Karte eines OLTREX-Funkes"}, {"IDC_3", "Hilfe"}, {"IDC_1001", "Progress1"},
        {"LabelFirmware", "Firmware"}, {"LabelKeyNr", "Key-Nr"}, {"LabelDownload", "Download"},
        {"ColonFirmware", ":"}, {"ColonKeyNr", ":"}, {"ColonDownload", ":"}};
    for (const ControlTemplate& c : mainDialogTemplate()) {
        QWidget* w = dlg->findChild<QWidget*>(QString::fromLatin1(c.objectName));
        ASSERT_NE(w, nullptr) << c.objectName;
        switch (c.kind) {
            case ControlKind::DefaultButton:
                ASSERT_NE(qobject_cast<QPushButton*>(w), nullptr) << c.objectName;
                EXPECT_TRUE(qobject_cast<QPushButton*>(w)->isDefault());
                break;
            case ControlKind::Button:
                ASSERT_NE(qobject_cast<QPushButton*>(w), nullptr) << c.objectName;
                EXPECT_FALSE(qobject_cast<QPushButton*>(w)->isDefault()) << c.objectName;
                break;
            case ControlKind::GroupBox: EXPECT_NE(qobject_cast<QGroupBox*>(w), nullptr) << c.objectName; break;
            case ControlKind::CheckBox: EXPECT_NE(qobject_cast<QCheckBox*>(w), nullptr) << c.objectName; break;
            case ControlKind::EtchedLine: {
                auto* line = qobject_cast<QFrame*>(w);
                ASSERT_NE(line, nullptr);
                EXPECT_EQ(line->frameShape(), QFrame::HLine);
                EXPECT_EQ(line->frameShadow(), QFrame::Sunken);
                break;
            }
            case ControlKind::Static: EXPECT_NE(qobject_cast<QLabel*>(w), nullptr) << c.objectName; break;
            case ControlKind::Picture:
                ASSERT_NE(qobject_cast<QLabel*>(w), nullptr);
                EXPECT_FALSE(qobject_cast<QLabel*>(w)->pixmap().isNull());
                break;
            case ControlKind::ProgressBar: {
                auto* bar = qobject_cast<QProgressBar*>(w);
                ASSERT_NE(bar, nullptr) << c.objectName;
                EXPECT_EQ(bar->minimum(), 0);
                EXPECT_EQ(bar->maximum(), 100);
                break;
            }
        }
        const auto it = resourceTexts.find(QString::fromLatin1(c.objectName));
        if (it != resourceTexts.end()) {
            EXPECT_EQ(textOf(w), it->second) << c.objectName;
        }
    }
    EXPECT_EQ(mainDialogTemplate().size(), 22u);
}

TEST_F(MainDialogControls, TheSessionsStringsReplaceTheTemplateTextsAtOnce) {
    auto dlg = open();
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1002")->text(), "");
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1003")->text(), "...");
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1004")->text(), "...");
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1005")->text(), "...");
    EXPECT_EQ(dlg->findChild<QLabel*>("IDC_1006")->text(), "");
    EXPECT_EQ(dlg->findChild<QProgressBar*>("IDC_1001")->value(), 0);
    EXPECT_FALSE(dlg->findChild<QPushButton*>("IDC_1")->isEnabled());
    EXPECT_TRUE(dlg->findChild<QPushButton*>("IDC_4")->isEnabled());
}

TEST_F(MainDialogControls, KeepTheProportionsOfThe262By138UnitLayout) {
    auto dlg = open();
    const QSize size = dlg->size();
    const double sx = size.width() / 262.0;
    const double sy = size.height() / 138.0;
    EXPECT_NEAR(size.width() / double(size.height()), (262.0 * sx) / (138.0 * sy), 1e-9);
    for (const ControlTemplate& c : mainDialogTemplate()) {
        QWidget* w = dlg->findChild<QWidget*>(QString::fromLatin1(c.objectName));
        ASSERT_NE(w, nullptr);
        const QRect g = w->geometry();
        EXPECT_NEAR(g.x(), c.rect.x * sx, 1.0) << c.objectName;
        EXPECT_NEAR(g.y(), c.rect.y * sy, 1.0) << c.objectName;
        EXPECT_NEAR(g.width(), c.rect.w * sx, 1.0) << c.objectName;
        if (c.kind != ControlKind::EtchedLine) {
            EXPECT_NEAR(g.height(), c.rect.h * sy, 1.0) << c.objectName;
        }
        EXPECT_LE(g.right(), size.width()) << c.objectName;
        EXPECT_LE(g.bottom(), size.height()) << c.objectName;
    }
}

TEST_F(MainDialogControls, TheTitleIsTheCaptionWithTheProgramsVersion) {
    auto dlg = open();
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("OLTREX-KeyFetch [" OLTREX_PROJECT_VERSION "]"));
    EXPECT_EQ(keyFetchVersion(), OLTREX_PROJECT_VERSION);

    auto setup = bench.setup(false);
    setup.version = std::string();
    CKeyFetchDlg unknown(setup);
    EXPECT_EQ(unknown.windowTitle(), "OLTREX-KeyFetch []");
}

TEST_F(MainDialogControls, CarriesTheProgramIcon) {
    auto dlg = open();
    EXPECT_FALSE(dlg->windowIcon().isNull());
    EXPECT_FALSE(dlg->windowIcon().pixmap(32, 32).isNull());
}

TEST_F(MainDialogControls, TheCheckBoxFollowsMakeEuByItsFirstCharacter) {
    struct Case {
        const char* value;
        bool checked;
    };
    for (const Case& c : {Case{"1", true}, Case{"1x", true}, Case{"10", true}, Case{"0", false}, Case{"", false},
                          Case{"x1", false}, Case{" 1", false}}) {
        bench.settings.set(kKeySettingsPath, "MakeEU", c.value);
        auto dlg = open();
        EXPECT_EQ(dlg->findChild<QCheckBox*>("IDC_1000")->isChecked(), c.checked) << '"' << c.value << '"';
    }
}

TEST_F(MainDialogControls, WithoutTheSettingsKeyTheCheckBoxStartsUnchecked) {
    auto dlg = open();
    EXPECT_FALSE(dlg->findChild<QCheckBox*>("IDC_1000")->isChecked());
}

TEST_F(MainDialogControls, TheContextMenuLeadsToTheAboutBox) {
    auto dlg = open();
    QMenu* menu = dlg->systemMenu();
    ASSERT_NE(menu, nullptr);
    QAction* about = nullptr;
    for (QAction* a : menu->actions())
        if (!a->isSeparator()) about = a;
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QString::fromUtf8("Inf&o über OLTREXKeyFetch..."));
    EXPECT_TRUE(menu->actions().front()->isSeparator());

    QString title, version, button;
    answerNextModal([&](QWidget* box) {
        title = box->windowTitle();
        for (auto* l : box->findChildren<QLabel*>())
            if (!l->text().isEmpty()) version = l->text();
        auto* ok = box->findChild<QPushButton*>();
        button = ok->text();
        ok->click();
    }, dlg.get());
    about->trigger();
    EXPECT_EQ(title, QString::fromUtf8("Info über OLTREXKeyFetch"));
    EXPECT_EQ(version, "OLTREXKeyFetch Version 1.0");
    EXPECT_EQ(button, "OK");
}
