// CDlgDrives: its texts, the sorted drive list with the first entry selected,
// and what "OK" and "Abbrechen" give.
#include <QAbstractItemView>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "GuiTestKit.h"
#include "oltrex/keyfetch/gui/DialogUnits.h"
#include "oltrex/keyfetch/gui/DlgDrives.h"

using namespace guitest;
using namespace oltrex;

namespace {

class DriveChooserDialog : public ::testing::Test {
protected:
    DriveChooserDialog() { app(); }
    oltrex::testing::FakeDrives drives;
};

QStringList entries(QComboBox* combo) {
    QStringList out;
    for (int i = 0; i < combo->count(); ++i) out << combo->itemText(i);
    return out;
}

}  // namespace

TEST_F(DriveChooserDialog, ShowsItsTextsAndButtons) {
    CDlgDrives dlg(drives.sources());
    EXPECT_EQ(dlg.windowTitle(), "OLTREX-KeyFetch");
    QStringList labels;
    for (auto* l : dlg.findChildren<QLabel*>()) labels << l->text();
    EXPECT_TRUE(labels.contains(QString::fromUtf8("Bitte wählen Sie ein Laufwerk aus:")));
    EXPECT_TRUE(labels.contains("(Buchstabe aus Explorer ersichtlich)"));
    EXPECT_EQ(dlg.findChild<QPushButton*>("IDC_1")->text(), "OK");
    EXPECT_TRUE(dlg.findChild<QPushButton*>("IDC_1")->isDefault());
    EXPECT_EQ(dlg.findChild<QPushButton*>("IDC_2")->text(), "Abbrechen");
    ASSERT_NE(dlg.findChild<QComboBox*>("IDC_1006"), nullptr);
    const DialogUnits du(dlg.font());
    EXPECT_EQ(dlg.size(), du.toPixels(180, 49));
}

TEST_F(DriveChooserDialog, ListsEveryDriveByItsReadableNameSortedWithTheFirstSelected) {
    const auto c = drives.mount("/dev/sda1", "c-system", "ext4");
    const auto a = drives.mount("/dev/fd0", "A-floppy", "vfat");
    const auto n = drives.mount("server:/x", "net", "nfs");
    drives.addDisk("sdc", false, {"sdc1"});
    drives.addLabel("Archiv", "sdc1");
    const auto d = drives.mount("/dev/sdc1", "d-archive", "ext4");
    drives.mount("proc", "proc", "proc");
    drives.mount("tmpfs", "ram", "tmpfs");
    CDlgDrives dlg(drives.sources());
    QComboBox* combo = dlg.comboBox();
    const QStringList expected{QString::fromStdString(a), QString::fromStdString(c), QString::fromStdString(n),
                               QString::fromStdString("Archiv (" + d + ")")};
    EXPECT_EQ(entries(combo), expected);
    EXPECT_EQ(combo->currentIndex(), 0);

    dlg.findChild<QPushButton*>("IDC_1")->click();
    EXPECT_EQ(dlg.result(), QString::fromStdString(a + "/")) << "the result is the drive's root text";
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
}

// The list drops down with room for a dozen drives, and as wide as the
// longest name, which it shows whole.
TEST_F(DriveChooserDialog, DropsDownADozenRowsWideEnoughForTheLongestName) {
    std::string longest;
    for (int i = 0; i < 14; ++i) {
        const std::string name = "drive-" + std::to_string(i) + (i == 9 ? "-with-a-rather-long-mount-point-name" : "");
        longest = std::max(longest, drives.mount("/dev/sdx" + std::to_string(i), name, "ext4"),
                           [](const std::string& x, const std::string& y) { return x.size() < y.size(); });
    }
    CDlgDrives dlg(drives.sources());
    QComboBox* combo = dlg.comboBox();
    ASSERT_EQ(combo->count(), 14);
    EXPECT_EQ(combo->maxVisibleItems(), 12);
    EXPECT_EQ(combo->view()->textElideMode(), Qt::ElideNone);
    EXPECT_GE(combo->view()->minimumWidth(),
              combo->view()->fontMetrics().horizontalAdvance(QString::fromStdString(longest)));
    EXPECT_GE(combo->view()->minimumWidth(), combo->width());
    combo->setCurrentIndex(combo->findText(QString::fromStdString(longest)));
    EXPECT_EQ(combo->lineEdit()->cursorPosition(), 0) << "the field shows the beginning of a long name";
}

TEST_F(DriveChooserDialog, TextTypedOverTheSelectionSelectsNothing) {
    drives.mount("/dev/sda1", "a", "ext4");
    CDlgDrives dlg(drives.sources());
    dlg.comboBox()->setEditText("/media/typed/");
    dlg.accept();
    EXPECT_EQ(dlg.result(), "");
}

TEST_F(DriveChooserDialog, AbbrechenGivesAnEmptyResultAndCancel) {
    drives.mount("/dev/sda1", "a", "ext4");
    CDlgDrives dlg(drives.sources());
    dlg.findChild<QPushButton*>("IDC_2")->click();
    EXPECT_EQ(dlg.result(), "");
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Rejected);
}

TEST_F(DriveChooserDialog, WithoutDrivesTheListStaysEmptyAndOkGivesNothing) {
    CDlgDrives dlg(drives.sources());
    EXPECT_EQ(dlg.comboBox()->count(), 0);
    dlg.accept();
    EXPECT_EQ(dlg.result(), "");
    EXPECT_EQ(dlg.QDialog::result(), QDialog::Accepted);
}
