#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "sound/alert_sound.h"
#include "sound/file_list.h"
#include "sound/folder_list.h"
#include "sound/form3.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QtTest>

#include <memory>

class TestSoundButton : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstPressOpensTheChooser();
    void cancelThenReopenShowsTheSameChooser();
    void choiceEndsTheChoosingAndCyclesTheCaption();

private:
    std::unique_ptr<FakePlatform> fake_;
    std::unique_ptr<Form1> form_;
    QString oldCurrent_;
    QString root_;
};

void TestSoundButton::init() {
    fake_ = std::make_unique<FakePlatform>();
    root_ = QDir(fake_->dir.path()).canonicalPath();
    QVERIFY(QDir(root_).mkpath(QStringLiteral("sounds")));
    QFile wav(root_ + QStringLiteral("/sounds/ding.wav"));
    QVERIFY(wav.open(QIODevice::WriteOnly));
    wav.close();
    oldCurrent_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root_));
    form_ = std::make_unique<Form1>(fake_->platform());
    form_->show();
    QVERIFY(QTest::qWaitForWindowExposed(form_.get()));
}

void TestSoundButton::cleanup() {
    form_.reset();
    fake_.reset();
    QDir::setCurrent(oldCurrent_);
}

void TestSoundButton::firstPressOpensTheChooser() {
    QCOMPARE(form_->Command2->text(), QStringLiteral("select wav"));
    QVERIFY(!form_->alertSound().form3());
    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    Form3* chooser = form_->alertSound().form3();
    QVERIFY(chooser);
    QVERIFY(chooser->isVisible());
    QVERIFY(chooser->isWindow());
    QCOMPARE(chooser->windowModality(), Qt::NonModal);
    QCOMPARE(form_->Command2->text(), QStringLiteral("select wav"));
    // Not modal: the main window still takes clicks.
    QVERIFY(form_->isEnabled());
    QVERIFY(!QApplication::activeModalWidget());
}

void TestSoundButton::cancelThenReopenShowsTheSameChooser() {
    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    Form3* chooser = form_->alertSound().form3();
    QVERIFY(chooser);
    QVERIFY(QTest::qWaitForWindowExposed(chooser));
    chooser->Dir1->setPath(root_ + QStringLiteral("/sounds"));
    QTest::mouseClick(chooser->Command2, Qt::LeftButton);
    QVERIFY(chooser->isHidden());

    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    QCOMPARE(form_->alertSound().form3(), chooser);
    QVERIFY(chooser->isVisible());
    QCOMPARE(chooser->Dir1->Path(), root_ + QStringLiteral("/sounds"));
    QCOMPARE(chooser->File1->count(), 1);
    QVERIFY(form_->alertSound().sWaveFile.isEmpty());
}

void TestSoundButton::choiceEndsTheChoosingAndCyclesTheCaption() {
    QTest::mouseClick(form_->Command2, Qt::LeftButton);
    Form3* chooser = form_->alertSound().form3();
    QVERIFY(chooser);
    chooser->Dir1->setPath(root_ + QStringLiteral("/sounds"));
    chooser->File1->setCurrentRow(0);
    QTest::mouseClick(chooser->Command1, Qt::LeftButton);
    QCOMPARE(form_->alertSound().sWaveFile, root_ + QStringLiteral("/sounds/ding.wav"));
    QVERIFY(chooser->isHidden());
    QCOMPARE(form_->Command2->text(), QStringLiteral("select wav"));

    const QStringList captions{"Sound Off", "Sound On", "Sound Off", "Sound On", "Sound Off"};
    for (const QString& caption : captions) {
        QTest::mouseClick(form_->Command2, Qt::LeftButton);
        QCOMPARE(form_->Command2->text(), caption);
        QVERIFY(chooser->isHidden()); // never opened again once a file is chosen
    }
    QCOMPARE(form_->alertSound().sWaveFile, root_ + QStringLiteral("/sounds/ding.wav"));
    QVERIFY(fake_->messages.shown.isEmpty());
}

QTEST_MAIN(TestSoundButton)
#include "tst_sound_button.moc"
