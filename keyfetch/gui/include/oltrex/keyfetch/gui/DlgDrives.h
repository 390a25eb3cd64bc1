#pragma once
// The drive chooser (dialog 130): asks for the drive of the SD card when no
// removable drive is present. On opening it lists the drives by their
// readable texts (DriveChoice) in a sorted drop-down list with the first one
// selected; choosing one gives its root text.
#include <QDialog>
#include <QString>

#include "oltrex/drives/DriveScanner.h"
#include "oltrex/keyfetch/window/DriveChooserList.h"
#include "oltrex/keyfetch/window/SmallDialogs.h"
#include "oltrex/sdimport/DriveChooser.h"

class QComboBox;
class QLabel;
class QPushButton;

namespace oltrex {

class CDlgDrives : public QDialog {
    Q_OBJECT
public:
    static constexpr int kWidthDu = drivechooser::kWidthDu;
    static constexpr int kHeightDu = drivechooser::kHeightDu;

    explicit CDlgDrives(DriveSources sources = {}, QWidget* parent = nullptr);

    // The chosen drive's root text; empty after "Abbrechen" or without a selection.
    const QString& result() const { return m_result; }
    QComboBox* comboBox() const { return m_combo; }

public slots:
    void accept() override;  // "OK"
    void reject() override;  // "Abbrechen", Escape, close box

private:
    void fillDriveList();
    void showStartOfEntry();

    DriveChooserList m_list;
    QComboBox* m_combo = nullptr;
    QString m_result;
};

// The SD-card import's question through CDlgDrives, shown modally over
// `parent`. The import runs on the window's thread right after it, so the
// chooser leaves the screen, and the window below is repainted, before it
// returns.
class DlgDrivesChooser final : public DriveChooser {
public:
    DlgDrivesChooser(QWidget* parent, DriveSources sources);
    bool chooseDrive(std::string& rootText) override;

private:
    QWidget* parent_;
    DriveSources sources_;
};

}  // namespace oltrex
