#include "FlasherApplication.h"

#include <QMessageBox>
#include <exception>

#include "oltrex/fwflasher/FlasherTexts.h"

namespace oltrex::fwflasher {

FlasherApplication::FlasherApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QString::fromUtf8(kApplicationTitle));
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
    QMessageBox::critical(nullptr, applicationName(), message);
}

}  // namespace oltrex::fwflasher
