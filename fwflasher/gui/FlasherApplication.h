#pragma once
// The application object: an exception that reaches the top of an event is
// shown in an error box and the program goes on.
#include <QApplication>

namespace oltrex::fwflasher {

class FlasherApplication final : public QApplication {
public:
    FlasherApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // The standard error box for an exception's message.
    static void showException(const QString& message);
};

}  // namespace oltrex::fwflasher
