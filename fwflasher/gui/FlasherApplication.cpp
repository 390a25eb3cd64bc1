#include "FlasherApplication.h"

#include <QMessageBox>
#include <exception>

#include "oltrex/fwflasher/FlasherTexts.h"
#include "oltrex/qtcommon/CentredMessageBox.h"
#include "oltrex/qtcommon/GermanTexts.h"

namespace oltrex::fwflasher {

FlasherApplication::FlasherApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(kApplicationTitle));
    qtcommon::installGermanTranslations(*this);
}

bool FlasherApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        showException(QStringLiteral("Unbekannter Fehler"));
    }
    return false;
}

void FlasherApplication::showException(const QString& message) {
    qtcommon::CentredMessageBox box(QMessageBox::Critical, QCoreApplication::applicationName(),
                                    message, QMessageBox::Ok);
    box.exec();
}

}  // namespace oltrex::fwflasher
