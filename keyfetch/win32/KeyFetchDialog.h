#pragma once
// The KeyFetch main dialog (dialog 102) as a Win32 dialog. What it does is
// KeyFetchForm's: here only the controls of the resource template, the About
// entry of the system menu, the program icon and the picture, and the
// workers' updates run on the dialog's thread through posted work.
#include <memory>
#include <string>

#include "oltrex/keyfetch/window/KeyFetchForm.h"
#include "oltrex/win32ui/Dialog.h"

namespace oltrex::keyfetchwin32 {

class KeyFetchDialog final : public win32ui::Dialog, public KeyFetchView {
public:
    explicit KeyFetchDialog(KeyFetchWindowSetup setup);
    ~KeyFetchDialog() override;

    // Runs the dialog until it is closed (on this thread, which becomes the
    // dialog's thread); the workers have ended when it returns.
    void run();
    // After run(): the form as the dialog left it (session, last import).
    KeyFetchForm& form() { return *form_; }

    // KeyFetchView, for the form only
    void postToViewThread(std::function<void()> change) override;
    void setText(MainControl control, const std::string& utf8) override;
    void enable(MainControl control, bool enabled) override;
    void show(MainControl control, bool shown) override;
    void setPosition(MainControl bar, int percent) override;
    void setChecked(MainControl box, bool checked) override;
    bool checked(MainControl box) const override;
    void showImportMessage(const ImportMessage& message) override;
    void showAboutBox() override;
    void closeWindow() override;
    bool chooseDrive(std::string& rootText) override;

private:
    bool onInitDialog() override;
    void onCommand(int id, int notification) override;
    bool onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

    DriveSources drives_;
    std::unique_ptr<KeyFetchForm> form_;
};

// The control of the template that shows `control`.
int controlId(MainControl control);

}  // namespace oltrex::keyfetchwin32
