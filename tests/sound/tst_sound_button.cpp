#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "sound/alert_sound.h"
#include "sound/file_list.h"
#include "sound/folder_list.h"
#include "sound/form3.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

// The sound button's states: choosing a file, then switching the sound off
// and on.
class TestSoundButton : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void firstPressOpensTheChooser();
    void cancelThenReopenShowsTheSameChooser();
    void choiceEndsTheChoosingThenPressesSwitchTheSound();
    void theWindowsButtonShowsTheSwitch();

private:
    // Chooses the wave file in the chooser, as the user does.
    void choose(AlertSound& sound, QWidget* window);

    FakeSound output_;
    FakeMessageBoxes messages_;
    std::unique_ptr<QWidget> window_;
    QString oldCurrent_;
    QString root_;
    std::unique_ptr<QTemporaryDir> dir_;
};

void TestSoundButton::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    root_ = QDir(dir_->path()).canonicalPath();
    QVERIFY(QDir(root_).mkpath(QStringLiteral("sounds")));
    QFile wav(root_ + QStringLiteral("/sounds/ding.wav"));
    QVERIFY(wav.open(QIODevice::WriteOnly));
    wav.close();
    oldCurrent_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root_));
    window_ = std::make_unique<QWidget>();
    messages_.shown.clear();
    output_.played.clear();
}

void TestSoundButton::cleanup() {
    window_.reset();
    QDir::setCurrent(oldCurrent_);
    dir_.reset();
}

void TestSoundButton::choose(AlertSound& sound, QWidget* window) {
    sound.buttonPressed(window);
    Form3* chooser = sound.form3();
    QVERIFY(chooser);
    chooser->Dir1->setPath(root_ + QStringLiteral("/sounds"));
    chooser->File1->setCurrentRow(0);
    QTest::mouseClick(chooser->Command1, Qt::LeftButton);
    QVERIFY(chooser->isHidden());
}

void TestSoundButton::firstPressOpensTheChooser() {
    AlertSound sound(output_, messages_);
    QSignalSpy captions(&sound, &AlertSound::captionChanged);
    QCOMPARE(sound.caption(), QStringLiteral("select wav"));
    QVERIFY(!sound.form3());
    sound.buttonPressed(window_.get());
    Form3* chooser = sound.form3();
    QVERIFY(chooser);
    QVERIFY(chooser->isVisible());
    QVERIFY(chooser->isWindow());
    QCOMPARE(chooser->parentWidget(), window_.get());
    QCOMPARE(chooser->windowModality(), Qt::NonModal);
    QCOMPARE(sound.caption(), QStringLiteral("select wav"));
    QCOMPARE(captions.count(), 0);
    QVERIFY(!sound.muted());
}

void TestSoundButton::cancelThenReopenShowsTheSameChooser() {
    AlertSound sound(output_, messages_);
    sound.buttonPressed(window_.get());
    Form3* chooser = sound.form3();
    QVERIFY(chooser);
    chooser->Dir1->setPath(root_ + QStringLiteral("/sounds"));
    QTest::mouseClick(chooser->Command2, Qt::LeftButton);
    QVERIFY(chooser->isHidden());

    sound.buttonPressed(window_.get());
    QCOMPARE(sound.form3(), chooser);
    QVERIFY(chooser->isVisible());
    QCOMPARE(chooser->Dir1->Path(), root_ + QStringLiteral("/sounds"));
    QCOMPARE(chooser->File1->count(), 1);
    QVERIFY(sound.sWaveFile.isEmpty());
}

void TestSoundButton::choiceEndsTheChoosingThenPressesSwitchTheSound() {
    AlertSound sound(output_, messages_);
    QSignalSpy captions(&sound, &AlertSound::captionChanged);
    choose(sound, window_.get());
    const QString ding = root_ + QStringLiteral("/sounds/ding.wav");
    QCOMPARE(sound.sWaveFile, ding);
    // The caption changes with the first press after the choice.
    QCOMPARE(sound.caption(), QStringLiteral("select wav"));
    QVERIFY(!sound.muted());

    const QList<std::pair<QString, bool>> steps{{"Sound Off", true},
                                                {"Sound On", false},
                                                {"Sound Off", true},
                                                {"Sound On", false},
                                                {"Sound Off", true}};
    for (const auto& [caption, muted] : steps) {
        sound.buttonPressed(window_.get());
        QCOMPARE(captions.takeFirst().at(0).toString(), caption);
        QCOMPARE(sound.caption(), caption);
        QCOMPARE(sound.muted(), muted);
        QVERIFY(sound.form3()->isHidden()); // never opened again once a file is chosen
    }
    QVERIFY(captions.isEmpty());
    sound.play();
    QCOMPARE(output_.played, QStringList{ding});
    QVERIFY(messages_.shown.isEmpty());
}

// The window's Command2 hands its presses to the alert sound and shows the
// caption the alert sound draws.
void TestSoundButton::theWindowsButtonShowsTheSwitch() {
    FakePlatform fakes;
    Form1 form(fakes.platform());
    QTest::mouseClick(form.Command2, Qt::LeftButton);
    QVERIFY(form.alertSound().form3());
    QVERIFY(form.alertSound().form3()->isVisible());
    QCOMPARE(form.alertSound().form3()->parentWidget(), &form);
    form.alertSound().form3()->hide();
    form.alertSound().sWaveFile = QStringLiteral("/sounds/alert.wav");
    for (const char* caption : {"Sound Off", "Sound On", "Sound Off"}) {
        QTest::mouseClick(form.Command2, Qt::LeftButton);
        QCOMPARE(form.Command2->text(), QString::fromLatin1(caption));
    }
    QVERIFY(form.alertSound().muted());
}

QTEST_MAIN(TestSoundButton)
#include "tst_sound_button.moc"
