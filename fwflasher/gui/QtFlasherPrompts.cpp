#include "QtFlasherPrompts.h"

#include <QMessageBox>
#include <QPushButton>

#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/qtcommon/CentredMessageBox.h"

namespace oltrex::fwflasher {
namespace {

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon iconOf(PromptKind kind) {
    switch (kind) {
        case PromptKind::Warning:
            return QMessageBox::Warning;
        case PromptKind::Error:
            return QMessageBox::Critical;
        case PromptKind::Question:
            break;
    }
    return QMessageBox::Question;
}

}  // namespace

PromptAnswer QtFlasherPrompts::ask(PromptKind kind, std::string_view caption,
                                   std::string_view text, PromptButtons buttons) {
    QWidget* parent = parent_ && parent_->isVisible() ? parent_.data() : nullptr;
    qtcommon::CentredMessageBox box(iconOf(kind), fromUtf8(caption), fromUtf8(text),
                                    QMessageBox::NoButton, parent, parent_.data());
    QPushButton* ok = box.addButton(QString::fromUtf8(kButtonOk), QMessageBox::AcceptRole);
    QPushButton* cancel = nullptr;
    if (buttons == PromptButtons::OkCancel) {
        cancel = box.addButton(QString::fromUtf8(kButtonCancelBox), QMessageBox::RejectRole);
        box.setEscapeButton(cancel);
    } else {
        box.setEscapeButton(ok);
    }
    box.setDefaultButton(ok);
    box.exec();
    if (buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return box.clickedButton() == ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
}

}  // namespace oltrex::fwflasher
