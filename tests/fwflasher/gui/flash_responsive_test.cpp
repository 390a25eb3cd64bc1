// FwFlasher's form while it flashes: the transfer runs beside the form's
// thread, so the form repaints itself and can be moved, while "Update",
// "Ende", the key picture and the close box do nothing until it has ended.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <condition_variable>
#include <mutex>

#include "../FlasherTestSupport.h"
#include "QtTestSupport.h"
#include "TForm2.h"
#include "TFormInfo.h"

using namespace flashertest;

namespace {

// The boot loader's line, held still after so many bytes until the test
// lets it go: the transfer then stands in the middle.
class HeldPort final : public ComPort {
public:
    HeldPort(StepClock& clock, std::size_t holdAfterBytes) : inner(clock), holdAfter_(holdAfterBytes) {}

    int open(const MessageSink& message) override { return inner.open(message); }
    int readByte() override { return inner.readByte(); }
    void write(const std::uint8_t* bytes, std::size_t size) override {
        {
            std::unique_lock lock(mutex_);
            written_ += size;
            if (written_ >= holdAfter_ && !released_) {
                held_ = true;
                changed_.notify_all();
                changed_.wait(lock, [this] { return released_; });
            }
        }
        inner.write(bytes, size);
    }
    void close() override { inner.close(); }
    std::string description() const override { return {}; }

    bool held(int ms) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return held_; });
    }
    void release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }

    BootLoaderPort inner;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::size_t written_ = 0;
    std::size_t holdAfter_;
    bool held_ = false;
    bool released_ = false;
};

class PaintCounter final : public QObject {
public:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
    int paints = 0;
};

TEST(FlashingForm, RepaintsAndMovesWhileItFlashesAndTakesNoInputUntilTheEnd) {
    qtApplication();
    StepClock clock;
    HeldPort port(clock, 20 * 267);  // about twenty blocks in
    SetKeyLibrary keys;
    ScriptedPrompts prompts({PromptAnswer::Ok});
    TFormInfo info;
    FlasherServices services;
    services.keys = &keys;
    services.port = &port;
    services.clock = &clock;
    services.prompts = &prompts;
    services.image = carriedImage();
    services.imageLabel = fwFlasherFirmwareLabel();
    TForm2 form(services, info, true);
    form.FormShow();
    form.show();
    PaintCounter counter;
    form.installEventFilter(&counter);
    QSignalSpy ended(&form, &TForm2::transferEnded);
    bool infoShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (info.isVisible()) {
            infoShown = true;
            info.close();
        }
    });
    watch.start(5);

    // The click returns while the transfer runs.
    QTest::mouseClick(form.ButtonUpgrade, Qt::LeftButton);
    ASSERT_TRUE(port.held(10000));
    EXPECT_TRUE(form.transferRunning());
    EXPECT_FALSE(form.ButtonUpgrade->isEnabled());
    EXPECT_FALSE(form.ButtonCancel->isEnabled());
    EXPECT_FALSE(form.Image1->isEnabled());

    // What the transfer shows reaches the form meanwhile, and it repaints.
    EXPECT_TRUE(waitFor([&] { return form.Memo1->toPlainText().contains("Ackn received"); }));
    EXPECT_TRUE(waitFor([&] { return form.ProgressBarDownload->value() > 0; }));
    EXPECT_EQ(form.Label4->text(), QString::fromUtf8("Datentransfer läuft"));
    const int paintsBefore = counter.paints;
    form.update();
    EXPECT_TRUE(waitFor([&] { return counter.paints > paintsBefore; }, 2000));
    form.move(150, 120);
    QTest::qWait(20);
    EXPECT_EQ(form.pos(), QPoint(150, 120));

    // Nothing interrupts it.
    const int serialCalls = keys.serialCalls;
    QTest::mouseClick(form.Image1, Qt::LeftButton);
    QTest::mouseClick(form.ButtonCancel, Qt::LeftButton);
    form.close();
    QTest::qWait(20);
    EXPECT_TRUE(form.isVisible());
    EXPECT_FALSE(infoShown);
    EXPECT_EQ(keys.serialCalls, serialCalls);
    EXPECT_TRUE(ended.isEmpty());

    port.release();
    ASSERT_TRUE(waitFor([&] { return !ended.isEmpty(); }, 20000));
    EXPECT_EQ(ended.at(0).at(0).toInt(), 1);
    EXPECT_FALSE(form.transferRunning());
    EXPECT_TRUE(form.ButtonUpgrade->isEnabled());
    EXPECT_TRUE(form.ButtonCancel->isEnabled());
    EXPECT_TRUE(form.Image1->isEnabled());
    EXPECT_EQ(form.Label4->text(), "Datentransfer abgeschlossen");
    EXPECT_EQ(form.ProgressBarDownload->value(), 99);
    // The transfer itself as on the form's own thread: the boot loader's
    // wait first, then every protocol line in its order.
    EXPECT_EQ(clock.slept, std::vector<std::uint32_t>{1000});
    std::vector<std::string> memo = memoLines(form.Memo1);
    ASSERT_FALSE(memo.empty());
    memo.erase(memo.begin());  // "Memo1"
    EXPECT_TRUE(memoMatches(memo, expectedTransferMemo(31364)));
    EXPECT_EQ(port.inner.loader.image().size(), 31364u);
}

}  // namespace
