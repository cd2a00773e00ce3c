#include "fake_platform.h"
#include "platform/desktop/qt_message_boxes.h"
#include "sound/drive_list.h"
#include "sound/file_list.h"
#include "sound/folder_list.h"
#include "sound/form3.h"
#include "widgets/twips.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSignalSpy>
#include <QStorageInfo>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTimer>
#include <QtTest>

#include <memory>

namespace {

void touch(const QString& path) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly), qPrintable(path));
    f.write("RIFF");
}

// The item whose entry (indentation aside) is `name`.
QListWidgetItem* itemNamed(QListWidget* list, const QString& name) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().trimmed() == name)
            return list->item(i);
    return nullptr;
}

QStringList entries(QListWidget* list) {
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->item(i)->text().trimmed();
    return out;
}

// The paths the chooser's OK handed on.
QStringList chosen(const QSignalSpy& spy) {
    QStringList paths;
    for (const QList<QVariant>& arguments : spy)
        paths.append(arguments.at(0).toString());
    return paths;
}

} // namespace

class TestForm3 : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void windowIsAFixedToolWindow();
    void controlsFollowTheLayoutTable_data();
    void controlsFollowTheLayoutTable();
    void tabOrder();
    void startsOnTheCurrentFolderAndDrive();
    void listsOnlyWaveFiles();
    void movingIntoASubfolderRelistsTheFiles();
    void okHandsOnTheChosenFileAndHides();
    void okInAFolderWithBlanks();
    void okTakesAnyNameTheFileSystemAllows_data();
    void okTakesAnyNameTheFileSystemAllows();
    void okAtTheRootJoinsWithOneSeparator();
    void okWithoutSelectionAsksForAFile();
    void okAfterTheFileVanishedAsksForAFile();
    void cancelHidesAndKeepsEverything();
    void unreadableDriveIsIgnored();
    void switchingDrivesComesBackToTheSameFolder();
    void centredOnFirstOpeningOnly();
    void keyboard();
    void heyBoxBelongsToTheChooser();
    void namedForAssistiveTools();

private:
    void clickFile(Form3& form, const QString& name);
    void enterFolder(Form3& form, const QString& name);

    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
    QString oldCurrent_;
    FakeMessageBoxes messages_;
};

void TestForm3::init() {
    messages_.shown.clear();
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    root_ = QDir(dir_->path()).canonicalPath();
    QVERIFY(QDir(root_).mkpath(QStringLiteral("sub folder/deeper")));
    QVERIFY(QDir(root_).mkpath(QStringLiteral("empty")));
    touch(root_ + QStringLiteral("/alert.wav"));
    touch(root_ + QStringLiteral("/LOUD.WAV"));
    touch(root_ + QStringLiteral("/notes.txt"));
    touch(root_ + QStringLiteral("/alert.wav.bak"));
    touch(root_ + QStringLiteral("/sub folder/inner.wav"));
    touch(root_ + QStringLiteral("/sub folder/readme"));
    oldCurrent_ = QDir::currentPath();
    QVERIFY(QDir::setCurrent(root_));
}

void TestForm3::cleanup() {
    QDir::setCurrent(oldCurrent_);
    dir_.reset();
}

void TestForm3::clickFile(Form3& form, const QString& name) {
    QListWidgetItem* item = itemNamed(form.File1, name);
    QVERIFY2(item, qPrintable(name));
    QTest::mouseClick(form.File1->viewport(), Qt::LeftButton, {},
                      form.File1->visualItemRect(item).center());
    QCOMPARE(form.File1->FileName(), name);
}

void TestForm3::enterFolder(Form3& form, const QString& name) {
    QListWidgetItem* item = itemNamed(form.Dir1, name);
    QVERIFY2(item, qPrintable(name));
    form.Dir1->scrollToItem(item);
    // A real double click starts with a press: the view acts only on the
    // entry that was pressed.
    const QPoint at = form.Dir1->visualItemRect(item).center();
    QTest::mouseClick(form.Dir1->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(form.Dir1->viewport(), Qt::LeftButton, {}, at);
}

void TestForm3::windowIsAFixedToolWindow() {
    Form3 form(messages_);
    QCOMPARE(form.windowTitle(), QStringLiteral("Select wav file:"));
    QVERIFY(form.isWindow());
    QCOMPARE(form.windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    QVERIFY(!(form.windowFlags() & Qt::WindowMinMaxButtonsHint));
    QCOMPARE(form.windowModality(), Qt::NonModal);
    const double scale = twips::pixelsPerTwip(&form);
    const QSize client(twips::toPixels(4455, scale), twips::toPixels(5340, scale));
    QCOMPARE(form.size(), client);
    QCOMPARE(form.minimumSize(), client);
    QCOMPARE(form.maximumSize(), client);

    // Still a window of its own when the main window owns it.
    QWidget owner;
    auto* owned = new Form3(messages_, &owner);
    QVERIFY(owned->isWindow());
    QVERIFY(owned->isHidden());
}

void TestForm3::controlsFollowTheLayoutTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QList<float>>("box");
    QTest::newRow("Drive1") << "Drive1" << QString() << QList<float>{120, 120, 4215, 315};
    QTest::newRow("Dir1") << "Dir1" << QString() << QList<float>{0, 600, 4455, 1890};
    QTest::newRow("Label1") << "Label1"
                            << "Select file" << QList<float>{0, 2520, 4335, 255};
    QTest::newRow("File1") << "File1" << QString() << QList<float>{0, 2760, 4455, 1845};
    QTest::newRow("Command1") << "Command1"
                              << "&OK" << QList<float>{120, 4800, 2055, 375};
    QTest::newRow("Command2") << "Command2"
                              << "&Cancel" << QList<float>{2280, 4800, 2055, 375};
}

void TestForm3::controlsFollowTheLayoutTable() {
    QFETCH(QString, name);
    QFETCH(QString, text);
    QFETCH(QList<float>, box);
    Form3 form(messages_);
    auto* control = form.findChild<QWidget*>(name);
    QVERIFY(control);
    const twips::Rect r = twips::geometry(control);
    QCOMPARE(QList<float>({r.left, r.top, r.width, r.height}), box);
    if (auto* button = qobject_cast<QPushButton*>(control))
        QCOMPARE(button->text(), text);
    if (auto* label = qobject_cast<QLabel*>(control))
        QCOMPARE(label->text(), text);
}

void TestForm3::tabOrder() {
    Form3 form(messages_);
    // Down the window: the three lists, then OK and Cancel.
    QList<QWidget*> order{form.Drive1, form.Dir1, form.File1, form.Command1, form.Command2};
    for (int i = 0; i + 1 < order.size(); ++i) {
        QWidget* next = order[i]->nextInFocusChain();
        while (next->focusPolicy() == Qt::NoFocus || !order.contains(next))
            next = next->nextInFocusChain();
        QCOMPARE(next, order[i + 1]);
    }
    QCOMPARE(form.Label1->focusPolicy(), Qt::NoFocus);
}

void TestForm3::startsOnTheCurrentFolderAndDrive() {
    Form3 form(messages_);
    QCOMPARE(form.Dir1->Path(), root_);
    QCOMPARE(form.File1->Path(), root_);
    QCOMPARE(form.Drive1->Drive(), QStorageInfo(root_).rootPath());
    QCOMPARE(form.File1->FileName(), QString());
    // The folder list runs from the root down to the folder in view, then
    // holds its subfolders.
    const QStringList dirs = entries(form.Dir1);
    QCOMPARE(dirs.first(), QStringLiteral("/"));
    QCOMPARE(dirs.mid(dirs.size() - 3),
             QStringList({QFileInfo(root_).fileName(), "empty", "sub folder"}));
    QCOMPARE(form.Dir1->currentItem()->data(FolderList::PathRole).toString(), root_);
}

void TestForm3::listsOnlyWaveFiles() {
    Form3 form(messages_);
    QCOMPARE(entries(form.File1), QStringList({"alert.wav", "LOUD.WAV"}));
    QCOMPARE(form.File1->selectionMode(), QAbstractItemView::SingleSelection);
}

void TestForm3::movingIntoASubfolderRelistsTheFiles() {
    Form3 form(messages_);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QSignalSpy changed(form.Dir1, &FolderList::changed);

    enterFolder(form, QStringLiteral("sub folder"));
    QCOMPARE(changed.count(), 1);
    QCOMPARE(form.Dir1->Path(), root_ + QStringLiteral("/sub folder"));
    QCOMPARE(form.File1->Path(), root_ + QStringLiteral("/sub folder"));
    QCOMPARE(entries(form.File1), QStringList({"inner.wav"}));
    QCOMPARE(entries(form.Dir1).mid(entries(form.Dir1).size() - 2),
             QStringList({"sub folder", "deeper"}));

    // Back up through the folder's entry in the chain above.
    enterFolder(form, QFileInfo(root_).fileName());
    QCOMPARE(form.Dir1->Path(), root_);
    QCOMPARE(entries(form.File1), QStringList({"alert.wav", "LOUD.WAV"}));

    enterFolder(form, QStringLiteral("empty"));
    QCOMPARE(form.File1->count(), 0);
}

void TestForm3::okHandsOnTheChosenFileAndHides() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    clickFile(form, QStringLiteral("LOUD.WAV"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(chosen(spy), QStringList{root_ + QStringLiteral("/LOUD.WAV")});
    QVERIFY(form.isHidden());
    QVERIFY(messages_.shown.isEmpty());
}

void TestForm3::okInAFolderWithBlanks() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    enterFolder(form, QStringLiteral("sub folder"));
    clickFile(form, QStringLiteral("inner.wav"));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(chosen(spy), QStringList{root_ + QStringLiteral("/sub folder/inner.wav")});
    QVERIFY(form.isHidden());
}

void TestForm3::okTakesAnyNameTheFileSystemAllows_data() {
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("file");
    QTest::newRow("Latin-1 and the euro")
        << QStringLiteral("M\u00fasica \u20ac") << QStringLiteral("d\u00edng.wav");
    QTest::newRow("Cyrillic") << QStringLiteral("\u0417\u0432\u0443\u043a\u0438")
                              << QStringLiteral("\u0434\u0437\u0438\u043d\u044c.wav");
}

void TestForm3::okTakesAnyNameTheFileSystemAllows() {
    QFETCH(QString, folder);
    QFETCH(QString, file);
    const QString path = root_ + QLatin1Char('/') + folder + QLatin1Char('/') + file;
    QVERIFY(QDir(root_).mkdir(folder));
    touch(path);
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    enterFolder(form, folder);
    clickFile(form, file);
    form.Command1_Click();
    QCOMPARE(chosen(spy), QStringList{path});
    QVERIFY(QFileInfo(chosen(spy).value(0)).isFile());
    QVERIFY(messages_.shown.isEmpty());
    QVERIFY(form.isHidden());
}

void TestForm3::okAtTheRootJoinsWithOneSeparator() {
    QTemporaryFile atRoot(QStringLiteral("/vigilo-XXXXXX.wav"));
    if (!atRoot.open())
        QSKIP("the root folder is not writable here");
    const QString name = QFileInfo(atRoot.fileName()).fileName();
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    form.Dir1->setPath(QStringLiteral("/"));
    clickFile(form, name);
    form.Command1_Click();
    QCOMPARE(chosen(spy), QStringList{QLatin1Char('/') + name});
}

void TestForm3::okWithoutSelectionAsksForAFile() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    QTest::mouseClick(form.Command1, Qt::LeftButton);
    QCOMPARE(messages_.shown.size(), 1);
    QCOMPARE(messages_.shown[0].first, QStringLiteral("You must select a file !"));
    QCOMPARE(messages_.shown[0].second, QStringLiteral("Hey.."));
    QVERIFY(form.isVisible());
    QCOMPARE(spy.count(), 0);
}

void TestForm3::okAfterTheFileVanishedAsksForAFile() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    clickFile(form, QStringLiteral("alert.wav"));
    QVERIFY(QFile::remove(root_ + QStringLiteral("/alert.wav")));
    form.Command1_Click();
    QCOMPARE(messages_.shown.size(), 1);
    QVERIFY(form.isVisible());
    QCOMPARE(spy.count(), 0);
}

void TestForm3::cancelHidesAndKeepsEverything() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    enterFolder(form, QStringLiteral("sub folder"));
    clickFile(form, QStringLiteral("inner.wav"));
    QTest::mouseClick(form.Command2, Qt::LeftButton);
    QVERIFY(form.isHidden());
    QCOMPARE(spy.count(), 0);
    form.show();
    QCOMPARE(form.Dir1->Path(), root_ + QStringLiteral("/sub folder"));
    QCOMPARE(form.File1->FileName(), QStringLiteral("inner.wav"));
    QVERIFY(messages_.shown.isEmpty());
}

void TestForm3::unreadableDriveIsIgnored() {
    Form3 form(messages_);
    form.Drive1->addItem(QStringLiteral("/no/such/drive"), QStringLiteral("/no/such/drive"));
    QTest::ignoreMessage(
        QtInfoMsg, QRegularExpression(QStringLiteral("drive cannot be read.*/no/such/drive")));
    form.Drive1->setCurrentIndex(form.Drive1->count() - 1);
    QCOMPARE(form.Drive1->Drive(), QStringLiteral("/no/such/drive"));
    QCOMPARE(form.Dir1->Path(), root_);
    QCOMPARE(entries(form.File1), QStringList({"alert.wav", "LOUD.WAV"}));
    QVERIFY(messages_.shown.isEmpty());
}

void TestForm3::switchingDrivesComesBackToTheSameFolder() {
    Form3 form(messages_);
    const QString home = form.Drive1->Drive();
    int other = -1;
    for (int i = 0; i < form.Drive1->count() && other < 0; ++i) {
        const QFileInfo info(form.Drive1->itemData(i).toString());
        if (info.filePath() != home && info.isDir() && info.isReadable() && info.isExecutable())
            other = i;
    }
    if (other < 0)
        QSKIP("only one readable file system is mounted");
    const QString otherRoot = form.Drive1->itemData(other).toString();
    form.Drive1->setCurrentIndex(other);
    QCOMPARE(form.Dir1->Path(), QDir::cleanPath(otherRoot));
    QCOMPARE(form.File1->Path(), form.Dir1->Path());
    form.Drive1->setCurrentIndex(form.Drive1->findData(home));
    QCOMPARE(form.Dir1->Path(), root_);
}

void TestForm3::centredOnFirstOpeningOnly() {
    Form3 form(messages_);
    form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&form));
    const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
    QVERIFY2((form.frameGeometry().center() - centre).manhattanLength() <= 2,
             qPrintable(QStringLiteral("centre at %1,%2")
                            .arg(form.frameGeometry().center().x())
                            .arg(form.frameGeometry().center().y())));
    form.move(form.pos() + QPoint(-40, 30));
    const QPoint moved = form.pos();
    form.hide();
    form.show();
    QCOMPARE(form.pos(), moved);
}

// Tab goes drive, folder, file, OK, Cancel and round; Escape is Cancel and
// Enter presses the focused button.
void TestForm3::keyboard() {
    Form3 form(messages_);
    QSignalSpy spy(&form, &Form3::fileChosen);
    form.show();
    form.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.Drive1->setFocus();
    for (QWidget* next : std::initializer_list<QWidget*>{form.Dir1, form.File1, form.Command1,
                                                         form.Command2, form.Drive1}) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), next);
    }
    clickFile(form, QStringLiteral("alert.wav"));
    QTest::keyClick(form.File1, Qt::Key_Escape);
    QVERIFY(form.isHidden());
    QCOMPARE(spy.count(), 0);
    form.show();
    QTest::keyClick(form.Command1, Qt::Key_Return);
    QCOMPARE(chosen(spy), QStringList{root_ + QStringLiteral("/alert.wav")});
    QVERIFY(form.isHidden());
}

// The "Hey.." box is the chooser's own, and the chooser has the keyboard
// again once it is closed.
void TestForm3::heyBoxBelongsToTheChooser() {
    QWidget main;
    main.show();
    FakeWindowAlerts alerts;
    QtMessageBoxes boxes(alerts);
    boxes.setParentWindow(&main);
    auto* form = new Form3(boxes, &main);
    form->show();
    form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(form));
    form->Command1->setFocus();
    QPointer<QWidget> owner;
    QTimer answer; // the box is modal: answer it from its own event loop
    connect(&answer, &QTimer::timeout, this, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            owner = box->parentWidget();
            box->accept();
        }
    });
    answer.start(0);
    QTest::keyClick(form->Command1, Qt::Key_Return); // OK with no file chosen
    QCOMPARE(owner.data(), form);
    QTRY_COMPARE(QApplication::focusWidget(), form->Command1);
}

void TestForm3::namedForAssistiveTools() {
    Form3 form(messages_);
    auto text = [](QWidget* w, QAccessible::Text t) {
        return QAccessible::queryAccessibleInterface(w)->text(t);
    };
    QCOMPARE(QAccessible::queryAccessibleInterface(&form)->role(), QAccessible::Window);
    QCOMPARE(text(&form, QAccessible::Name), QStringLiteral("Select wav file:"));
    QCOMPARE(text(form.Drive1, QAccessible::Description), QStringLiteral("Drive"));
    QCOMPARE(text(form.Dir1, QAccessible::Name), QStringLiteral("Folder"));
    QCOMPARE(text(form.File1, QAccessible::Name), QStringLiteral("Wave file"));
}

QTEST_MAIN(TestForm3)
#include "tst_form3.moc"
