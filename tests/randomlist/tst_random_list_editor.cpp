#include "fake_platform.h"
#include "file_size_limit.h"
#include "mainwindow/form1.h"
#include "randomlist/random_list_file.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStringListModel>
#include <QTest>

#include <memory>

namespace {

const QPair<QString, QString> kSaved{QStringLiteral("Saved...and updated in main"),
                                     QStringLiteral("Edit Random-list")};
const QPair<QString, QString> kFailed{QStringLiteral("Try again!"),
                                      QStringLiteral("Error saving..")};

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items.append(combo->itemText(i));
    return items;
}

// The editor's working copy, as List1 shows it.
QStringListModel& workingCopy(const QListView* list) {
    return *qobject_cast<QStringListModel*>(list->model());
}

QStringList itemsOf(const QListView* list) {
    return workingCopy(list).stringList();
}

int countOf(const QListView* list) {
    return list->model()->rowCount();
}

// An entry that cannot be typed (an empty one, as read from a file).
void append(QListView* list, const QString& entry) {
    QAbstractItemModel* model = list->model();
    const int row = model->rowCount();
    model->insertRow(row);
    model->setData(model->index(row, 0), entry);
}

QModelIndexList selectedIn(const QListView* list) {
    return list->selectionModel()->selectedRows();
}

QByteArray fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<none>");
}

} // namespace

// The editor is driven as a user would: clicks on its buttons, keys in its
// text box, clicks on the list's rows.
class TestRandomListEditor : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<FakePlatform> fp_;
    std::unique_ptr<Form1> form_;

    QString listPath() const { return randomListPath(fp_->dir.path()); }

    // A window started with `bytes` as its list file (none when null).
    Form1& start(const QByteArray& bytes = QByteArray()) {
        form_.reset();
        fp_ = std::make_unique<FakePlatform>();
        if (!bytes.isNull()) {
            QFile f(listPath());
            if (f.open(QIODevice::WriteOnly))
                f.write(bytes);
        }
        form_ = std::make_unique<Form1>(fp_->platform());
        form_->show();
        return *form_;
    }

    Form1& startAndOpen(const QByteArray& bytes = QByteArray()) {
        Form1& f = start(bytes);
        [&] { QVERIFY(QTest::qWaitForWindowExposed(&f)); }();
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        return f;
    }

    static void clickRow(Form1& f, int row) {
        const QModelIndex index = f.List1->model()->index(row, 0);
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {},
                          f.List1->visualRect(index).center());
    }

    static void type(Form1& f, const QString& text, Qt::KeyboardModifiers mods = {}) {
        QTest::keyClicks(f.Text2, text);
        QTest::keyClick(f.Text2, Qt::Key_Return, mods);
    }

private slots:
    void cleanup() {
        form_.reset();
        fp_.reset();
    }

    void openCopiesCombo2ThroughTheSelection() {
        Form1& f = startAndOpen("a\r\n\r\nc\r\n");
        QVERIFY(f.Frame1->isVisible());
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "", "c"}));
        QCOMPARE(f.Combo2->currentIndex(), 2);
        QCOMPARE(f.Combo2->currentText(), QStringLiteral("c"));
        QVERIFY(selectedIn(f.List1).isEmpty());
    }

    void openShowsTheLastItemOverTypedText() {
        // With one item the selection does not move, yet the box must show it.
        Form1& f = startAndOpen("only\r\n");
        QTest::mouseClick(f.Command6, Qt::LeftButton);
        f.Combo2->lineEdit()->selectAll();
        QTest::keyClicks(f.Combo2->lineEdit(), QStringLiteral("typed"));
        QCOMPARE(f.Combo2->currentIndex(), 0);
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        QCOMPARE(f.Combo2->currentText(), QStringLiteral("only"));
        QCOMPARE(itemsOf(f.List1), QStringList{"only"});
    }

    void openWithEmptyCombo2AndSaveDoesNothing() {
        Form1& f = startAndOpen();
        QVERIFY(f.Frame1->isVisible());
        QCOMPARE(countOf(f.List1), 0);
        QCOMPARE(f.Combo2->currentIndex(), -1);
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QVERIFY(fp_->messages.shown.isEmpty());
        QVERIFY(f.Frame1->isVisible());
        QVERIFY(!QFile::exists(listPath()));
    }

    void reopeningDiscardsUnsavedChanges() {
        Form1& f = startAndOpen("a\r\nb\r\n");
        type(f, QStringLiteral("new"));
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        QCOMPARE(countOf(f.List1), 0);
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "b"}));
    }

    void addTakesTheTextAsTyped() {
        Form1& f = startAndOpen("a\r\n");
        QTest::keyClicks(f.Text2, QStringLiteral(" http://x/ "));
        QTest::mouseClick(f.Command7, Qt::LeftButton);
        QTest::keyClicks(f.Text2, QStringLiteral(" http://x/ "));
        QTest::mouseClick(f.Command7, Qt::LeftButton);
        QTest::keyClicks(f.Text2, QStringLiteral("   "));
        QTest::mouseClick(f.Command7, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", " http://x/ ", " http://x/ ", "   "}));
        QCOMPARE(f.Text2->text(), QString());
        // An empty box adds nothing.
        QTest::mouseClick(f.Command7, Qt::LeftButton);
        QCOMPARE(countOf(f.List1), 4);
        QCOMPARE(itemsOf(f.Combo2), QStringList{"a"}); // only Save reaches the live list
    }

    void enterAddsWithAnyModifiersAndStillReachesTheBox_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::newRow("Return") << int(Qt::Key_Return) << Qt::KeyboardModifiers();
        QTest::newRow("Shift+Return")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Return")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Alt+Return")
            << int(Qt::Key_Return) << Qt::KeyboardModifiers(Qt::AltModifier);
        QTest::newRow("keypad Enter")
            << int(Qt::Key_Enter) << Qt::KeyboardModifiers(Qt::KeypadModifier);
    }
    void enterAddsWithAnyModifiersAndStillReachesTheBox() {
        QFETCH(int, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        Form1& f = startAndOpen();
        QSignalSpy reachedBox(f.Text2, &QLineEdit::returnPressed);
        QTest::keyClicks(f.Text2, QStringLiteral("http://e/"));
        QTest::keyClick(f.Text2, Qt::Key(key), mods);
        QCOMPARE(itemsOf(f.List1), QStringList{"http://e/"});
        QCOMPARE(f.Text2->text(), QString());
        QCOMPARE(reachedBox.count(), 1);
        // Enter in an empty box adds nothing.
        QTest::keyClick(f.Text2, Qt::Key(key), mods);
        QCOMPARE(countOf(f.List1), 1);
    }

    void addStopsAtTheListLimit() {
        // Beyond the limit the next start would drop entries: the text stays
        // in the box instead.
        Form1& f = startAndOpen();
        QStringList full;
        for (int i = 0; i < kMaxRandomListEntries; ++i)
            full.append(QString::number(i));
        workingCopy(f.List1).setStringList(full);
        type(f, QStringLiteral("one too many"));
        QCOMPARE(countOf(f.List1), kMaxRandomListEntries);
        QCOMPARE(f.Text2->text(), QStringLiteral("one too many"));
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        QTest::keyClick(f.Text2, Qt::Key_Return);
        QCOMPARE(itemsOf(f.List1), QStringList{"one too many"});
    }

    void otherKeysDoNotAdd() {
        Form1& f = startAndOpen();
        QTest::keyClicks(f.Text2, QStringLiteral("abc"));
        QTest::keyClick(f.Text2, Qt::Key_Tab);
        QTest::keyClick(f.Text2, Qt::Key_Escape);
        f.Text2_KeyDown(10, {}); // a line feed is not Enter
        QCOMPARE(countOf(f.List1), 0);
        QCOMPARE(f.Text2->text(), QStringLiteral("abc"));
    }

    void entriesAreNotEditedInPlace() {
        // Only Add, Remove single and Clear change the working copy.
        Form1& f = startAndOpen("a\r\nb\r\n");
        const QPoint at = f.List1->visualRect(f.List1->model()->index(0, 0)).center();
        QTest::mouseClick(f.List1->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(f.List1->viewport(), Qt::LeftButton, {}, at);
        QTest::keyClick(f.List1, Qt::Key_F2);
        QVERIFY(f.List1->viewport()->findChildren<QLineEdit*>().isEmpty());
        QTest::keyClicks(f.List1->focusWidget(), QStringLiteral("zz"));
        QTest::keyClick(f.List1->focusWidget(), Qt::Key_Return);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "b"}));
    }

    void removeTakesTheSelectedEntryOnly() {
        Form1& f = startAndOpen("a\r\nb\r\nc\r\nd\r\n");
        // Nothing selected: nothing removed, no message.
        QTest::mouseClick(f.Command8, Qt::LeftButton);
        QCOMPARE(countOf(f.List1), 4);
        clickRow(f, 1);
        QCOMPARE(selectedIn(f.List1).size(), 1);
        QTest::mouseClick(f.Command8, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "c", "d"}));
        QVERIFY(selectedIn(f.List1).isEmpty());
        QVERIFY(!f.List1->currentIndex().isValid());
        // A second press finds nothing selected.
        QTest::mouseClick(f.Command8, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "c", "d"}));
        clickRow(f, 2);
        QTest::mouseClick(f.Command8, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "c"}));
        QVERIFY(fp_->messages.shown.isEmpty());
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"a", "b", "c", "d"}));
    }

    void saveStoresTheListThenUpdatesCombo2AndCloses() {
        Form1& f = startAndOpen("old1\r\nold2\r\nold3\r\n");
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        type(f, QStringLiteral("x"));
        append(f.List1, QString());
        type(f, QStringLiteral("y"));
        type(f, QStringLiteral("y"));
        QTest::keyClicks(f.Text2, QStringLiteral("half typed"));
        QStringList combo2AtMessage;
        bool frameOpenAtMessage = true;
        fp_->messages.whileOpen = [&] {
            combo2AtMessage = itemsOf(f.Combo2);
            frameOpenAtMessage = f.Frame1->isVisible();
        };
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fp_->messages.shown, QList{kSaved});
        QCOMPARE(combo2AtMessage, (QStringList{"x", "", "y", "y"}));
        QVERIFY(!frameOpenAtMessage);
        QCOMPARE(fileBytes(listPath()), QByteArray("x\r\n\r\ny\r\ny\r\n"));
        // The live list the monitor draws from is now the new one.
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"x", "", "y", "y"}));
        QCOMPARE(f.randomListEditor().entries(), (QStringList{"x", "", "y", "y"}));
        QCOMPARE(f.Combo2->currentIndex(), -1);
        QCOMPARE(f.Combo2->currentText(), QString());
        QVERIFY(!f.Frame1->isVisible());
        QCOMPARE(f.Text2->text(), QStringLiteral("half typed"));
    }

    void emptyLineFromTheFileIsWrittenBack() {
        Form1& f = startAndOpen("a\r\n\r\nb");
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "", "b"}));
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fileBytes(listPath()), QByteArray("a\r\n\r\nb\r\n"));
    }

    void clearThenSaveDoesNothing() {
        Form1& f = startAndOpen("a\r\nb\r\n");
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QVERIFY(fp_->messages.shown.isEmpty());
        QVERIFY(f.Frame1->isVisible());
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"a", "b"}));
        QCOMPARE(fileBytes(listPath()), QByteArray("a\r\nb\r\n"));
    }

    void clearAddOneSaveLeavesExactlyThatOne() {
        Form1& f = startAndOpen("a\r\nb\r\n");
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        type(f, QStringLiteral("http://only/"));
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fileBytes(listPath()), QByteArray("http://only/\r\n"));
        QCOMPARE(itemsOf(f.Combo2), QStringList{"http://only/"});
    }

    void cancelThrowsTheCopyAway() {
        Form1& f = startAndOpen("a\r\nb\r\n");
        type(f, QStringLiteral("added"));
        QTest::keyClicks(f.Text2, QStringLiteral("pending"));
        QTest::mouseClick(f.Command6, Qt::LeftButton);
        QVERIFY(!f.Frame1->isVisible());
        QCOMPARE(countOf(f.List1), 0);
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"a", "b"}));
        QCOMPARE(fileBytes(listPath()), QByteArray("a\r\nb\r\n"));
        QVERIFY(fp_->messages.shown.isEmpty());
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", "b"}));
        // Text2 keeps what was typed across closing.
        QCOMPARE(f.Text2->text(), QStringLiteral("pending"));
    }

    void failedSaveKeepsEverything_data() {
        QTest::addColumn<QString>("how");
        QTest::newRow("folder gone") << QStringLiteral("folder gone");
        QTest::newRow("disk full midway") << QStringLiteral("disk full");
        QTest::newRow("character beyond the file") << QStringLiteral("unstorable");
    }
    void failedSaveKeepsEverything() {
        QFETCH(QString, how);
        const QByteArray old = "keep1\r\nkeep2\r\n";
        Form1& f = startAndOpen(old);
        QStringList working{"keep1", "keep2"};
        for (int i = 0; i < 100; ++i) {
            const QString url = QStringLiteral("http://new.example/%1").arg(i);
            type(f, url);
            working.append(url);
        }
        if (how == QLatin1String("unstorable")) {
            // Pasted (not typeable here), and no address: it has no ASCII form.
            f.Text2->setText(QStringLiteral("http://\u4F8B..jp/"));
            QTest::keyClick(f.Text2, Qt::Key_Return);
            working.append(QStringLiteral("http://\u4F8B..jp/"));
        }
        // The place was chosen at start; the folder goes away after it.
        const QString folder = fp_->dir.path(), away = folder + QStringLiteral("-gone");
        if (how == QLatin1String("folder gone"))
            QVERIFY(QDir().rename(folder, away));
        {
            FileSizeLimit diskFull(how == QLatin1String("disk full") ? 64 : RLIM_INFINITY);
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("not saved")));
            QTest::mouseClick(f.Command5, Qt::LeftButton);
        }
        QCOMPARE(fp_->messages.shown.size(), 1);
        const auto [prompt, title] = fp_->messages.shown.first();
        QCOMPARE(title, kFailed.second);
        if (how == QLatin1String("unstorable")) // which entry, and why
            QVERIFY2(prompt.startsWith(QStringLiteral("Try again!\n\nEntry 103, \"http://")),
                     qPrintable(prompt));
        else
            QCOMPARE(prompt, kFailed.first);
        QVERIFY(f.Frame1->isVisible());
        QCOMPARE(itemsOf(f.List1), working);
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"keep1", "keep2"}));
        if (how == QLatin1String("folder gone")) {
            QVERIFY(!QFileInfo::exists(folder)); // not made again by the save
            QVERIFY(QDir().rename(away, folder));
        }
        QCOMPARE(fileBytes(randomListPath(fp_->dir.path())), old);

        // Once the cause is gone, the same working list saves.
        if (how == QLatin1String("unstorable")) {
            clickRow(f, countOf(f.List1) - 1);
            QTest::mouseClick(f.Command8, Qt::LeftButton);
            working.removeLast();
        }
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fp_->messages.shown.last(), kSaved);
        QCOMPARE(itemsOf(f.Combo2), working);
        QCOMPARE(readRandomListFile(listPath()).entries, working);
    }

    void nextRandomPickDrawsFromTheSavedList() {
        Form1& f = startAndOpen("old1\r\nold2\r\nold3\r\n");
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        type(f, QStringLiteral("new1"));
        type(f, QStringLiteral("new2"));
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fp_->messages.shown, QList{kSaved});
        fp_->browser.navigated.clear();
        // A period end with the URL box empty picks from the live list.
        QVERIFY(f.Option1->isChecked() && f.Text1->text().isEmpty());
        for (double draw : {0.9, 0.1, 0.6}) {
            fp_->draws.push_back(draw);
            f.monitor().lCountdown = 0;
            f.Timer1_Timer();
        }
        QCOMPARE(fp_->browser.navigated, (QStringList{"new2", "new1", "new2"}));
    }

    void entriesPastTheLimitAreToldOnceAndKeptBySave() {
        QByteArray shown;
        for (int i = 0; i < kMaxRandomListEntries; ++i)
            shown += "u" + QByteArray::number(i) + "\r\n";
        const QByteArray rest = "past1\r\npast\n2\rpast3";
        Form1& f = startAndOpen(shown + rest);
        QCOMPARE(countOf(f.List1), kMaxRandomListEntries);
        QCOMPARE(f.Combo2->currentText(), QStringLiteral("u%1").arg(kMaxRandomListEntries - 1));
        QCOMPARE(fp_->messages.shown.size(), 1);
        QVERIFY(fp_->messages.shown.first().first.contains(QStringLiteral("more than 32767")));
        QCOMPARE(fp_->messages.shown.first().second, QStringLiteral("Edit Random-list"));
        // Once: neither reopening nor a save tells it again.
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        QTest::mouseClick(f.Command9, Qt::LeftButton);
        type(f, QStringLiteral("http://one/"));
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fileBytes(listPath()), "http://one/\r\n" + rest);
        QCOMPARE(itemsOf(f.Combo2), QStringList{"http://one/"});
        QTest::mouseClick(f.Command4, Qt::LeftButton);
        type(f, QStringLiteral("http://two/"));
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fileBytes(listPath()), "http://one/\r\nhttp://two/\r\n" + rest);
        QCOMPARE(fp_->messages.shown, (QList{fp_->messages.shown.first(), kSaved, kSaved}));
    }

    void fileChangedOnDiskPastTheLimitIsLeftAlone() {
        QByteArray bytes;
        for (int i = 0; i < kMaxRandomListEntries + 2; ++i)
            bytes += "u" + QByteArray::number(i) + "\r\n";
        Form1& f = startAndOpen(bytes);
        const QByteArray edited = "changed\r\n" + bytes;
        QFile file(listPath());
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(edited) == edited.size());
        file.close();
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QVERIFY2(fp_->messages.shown.last().first.startsWith(
                     QStringLiteral("Try again!\n\nvigilo.cfg holds more entries")),
                 qPrintable(fp_->messages.shown.last().first));
        QCOMPARE(fp_->messages.shown.last().second, kFailed.second);
        QCOMPARE(fileBytes(listPath()), edited);
        QVERIFY(f.Frame1->isVisible());
    }

    void convertedEntryGoesLiveAsStored() {
        Form1& f = startAndOpen("a\r\n");
        f.Text2->setText(QStringLiteral("http://\u4F8B\u3048.jp/\u00FC\u20AC"));
        QTest::keyClick(f.Text2, Qt::Key_Return);
        QTest::mouseClick(f.Command5, Qt::LeftButton);
        QCOMPARE(fp_->messages.shown, QList{kSaved});
        const QString stored = QStringLiteral("http://xn--r8jz45g.jp/%C3%BC%E2%82%AC");
        QCOMPARE(fileBytes(listPath()), "a\r\n" + stored.toLatin1() + "\r\n");
        // This run draws what the next one will read.
        QCOMPARE(itemsOf(f.Combo2), (QStringList{"a", stored}));
        QCOMPARE(itemsOf(f.List1), (QStringList{"a", stored}));
    }

    void pickTakesAnEntryLongerThanTheEditField() {
        // The combo box's edit field holds at most 32767 characters.
        const QByteArray longUrl = "http://long.example/?q=" + QByteArray(40000, 'q');
        Form1& f = start("http://short.example/\r\n" + longUrl + "\r\n");
        fp_->draws.push_back(0.9);
        f.Timer1_Timer();
        QCOMPARE(fp_->browser.navigated.last(), QString::fromLatin1(longUrl));
    }

    void viewsSizeEveryRowByTheLongestEntryDrawnFromItsStart() {
        Form1& f = startAndOpen();
        const QString huge = QStringLiteral("http://h/") + QString(1000000, QLatin1Char('w'));
        workingCopy(f.List1).setStringList({"a", huge, "b"});
        const QFontMetrics fm = f.List1->fontMetrics();
        const QSize row = f.List1->sizeHintForIndex(f.List1->model()->index(0, 0));
        // As wide as the start of the huge entry, not as the whole of it.
        QVERIFY(row.width() >= fm.horizontalAdvance(huge.left(2000)));
        QVERIFY(row.width() < fm.horizontalAdvance(huge.left(2100)));
        QVERIFY(row.height() < 3 * fm.height());
        QTRY_VERIFY(f.List1->horizontalScrollBar()->maximum() > 0);
        QCOMPARE(f.List1->visualRect(f.List1->model()->index(2, 0)).height(), row.height());
        f.List1->model()->removeRow(1);
        QTRY_COMPARE(f.List1->horizontalScrollBar()->maximum(), 0);
    }

    void addEmptiesTheBoxForAPastedHugeText() {
        Form1& f = startAndOpen();
        const QString huge(300000, QLatin1Char('h'));
        f.Text2->setText(huge);
        QTest::mouseClick(f.Command7, Qt::LeftButton);
        QCOMPARE(itemsOf(f.List1), QStringList{huge});
        QCOMPARE(f.Text2->text(), QString());
        // A typed text can still be brought back into the box after Add.
        type(f, QStringLiteral("typed"));
        f.Text2->undo();
        QCOMPARE(f.Text2->text(), QStringLiteral("typed"));
    }
};

QTEST_MAIN(TestRandomListEditor)
#include "tst_random_list_editor.moc"
