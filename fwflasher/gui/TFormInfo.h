#pragma once
// The info form: the maker's address, a picture, the key ID and "zurück".
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;

namespace oltrex::fwflasher {

class TFormInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFormInfo(QWidget* parent = nullptr);

    // Sets SerNbr and repaints it at once.
    void setKeyIdLine(const QString& text);

    // Closes the form.
    void ButtonBackClick();

    QFrame* Panel1 = nullptr;
    QLabel* LabelName = nullptr;
    QLabel* LabelStreet = nullptr;
    QLabel* LabelTown = nullptr;
    QLabel* LabelWeb = nullptr;
    QLabel* Image1 = nullptr;
    QLabel* SerNbr = nullptr;
    QPushButton* ButtonBack = nullptr;
};

}  // namespace oltrex::fwflasher
