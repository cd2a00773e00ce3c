#include "sound/folder_list.h"

#include <QAccessible>
#include <QDir>
#include <QImage>
#include <QPointer>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// Qt tells assistive tools nothing until one listens, as a screen reader
// does. Returns whether listening is now as asked.
bool listenAsAssistiveTool(bool on) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
    return QAccessible::isActive() == on;
}

QList<QPointer<QObject>> descriptionChanged; // the objects whose description changed
void recordEvent(QAccessibleEvent* event) {
    if (event->type() == QAccessible::DescriptionChanged)
        descriptionChanged.append(event->object());
}

// The leftmost column in `row` where the list draws anything but its base.
int leftmostInk(const QImage& image, const QRect& row, QRgb base) {
    for (int x = row.left(); x <= row.right(); ++x)
        for (int y = row.top(); y <= row.bottom(); ++y)
            if (image.pixel(x, y) != base)
                return x;
    return -1;
}

} // namespace

class TestFolderList : public QObject {
    Q_OBJECT

private slots:
    void init();
    void entriesAreTheNamesAloneIndentedAsDrawn();
    void typingAFoldersFirstLettersMovesToIt();
    void toolsAreToldThePathOfTheFolderInView();

private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString root_;
};

void TestFolderList::init() {
    dir_ = std::make_unique<QTemporaryDir>();
    QVERIFY(dir_->isValid());
    root_ = QDir(dir_->path()).canonicalPath();
    for (const char* name : {"alpha", "beta", "empty", "sounds", "sub folder/deeper"})
        QVERIFY(QDir(root_).mkpath(QString::fromLatin1(name)));
}

void TestFolderList::entriesAreTheNamesAloneIndentedAsDrawn() {
    FolderList list;
    list.resize(300, 400);
    list.setPath(root_ + QStringLiteral("/sub folder"));
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));

    // From the root down to the folder in view, then its subfolder.
    QStringList chain = root_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    chain.prepend(QStringLiteral("/"));
    chain << QStringLiteral("sub folder") << QStringLiteral("deeper");
    QCOMPARE(list.count(), chain.size());
    QAccessibleInterface* tool = QAccessible::queryAccessibleInterface(&list);
    for (int i = 0; i < list.count(); ++i) {
        QCOMPARE(list.item(i)->text(), chain[i]);
        QCOMPARE(tool->child(i)->text(QAccessible::Name), chain[i]);
        QCOMPARE(list.item(i)->data(FolderList::DepthRole).toInt(), i);
    }

    // Each step down is drawn further right.
    const QRgb base = list.viewport()->palette().color(QPalette::Base).rgb();
    list.clearSelection(); // a highlight would count as ink
    const QImage plain = list.viewport()->grab().toImage();
    QList<int> ink;
    for (int i = 0; i < list.count(); ++i)
        ink << leftmostInk(plain, list.visualItemRect(list.item(i)), base);
    for (int i = 1; i < list.count(); ++i)
        QVERIFY2(ink[i] > ink[i - 1], qPrintable(QStringLiteral("row %1 at %2, row %3 at %4")
                                                     .arg(i)
                                                     .arg(ink[i])
                                                     .arg(i - 1)
                                                     .arg(ink[i - 1])));
}

// Without padding, the list's own keyboard search finds folders by name.
void TestFolderList::typingAFoldersFirstLettersMovesToIt() {
    FolderList list;
    list.setPath(root_);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    list.setFocus();
    QTest::keyClicks(&list, QStringLiteral("so"));
    QCOMPARE(list.currentItem()->text(), QStringLiteral("sounds"));
    QCOMPARE(list.Path(), root_); // moving is not entering
    QTest::keyClick(&list, Qt::Key_Return);
    QCOMPARE(list.Path(), root_ + QStringLiteral("/sounds"));
}

// On every move, assistive tools are told the full path of the folder in
// view; a pointer resting on the list shows it too.
void TestFolderList::toolsAreToldThePathOfTheFolderInView() {
    if (!listenAsAssistiveTool(true))
        QSKIP("Qt's platform layer takes no assistive tool here");
    descriptionChanged.clear();
    QAccessible::installUpdateHandler(recordEvent);
    const auto restore = qScopeGuard([] {
        QAccessible::installUpdateHandler(nullptr);
        listenAsAssistiveTool(false);
    });

    FolderList list;
    for (const QString& folder :
         {root_, root_ + QStringLiteral("/sub folder/deeper"), root_ + QStringLiteral("/beta")}) {
        descriptionChanged.clear();
        list.setPath(folder);
        const QString shown = QDir::toNativeSeparators(folder);
        QCOMPARE(QAccessible::queryAccessibleInterface(&list)->text(QAccessible::Description),
                 shown);
        QCOMPARE(descriptionChanged, QList<QPointer<QObject>>{&list});
        QCOMPARE(list.toolTip(), shown);
    }
}

QTEST_MAIN(TestFolderList)
#include "tst_folder_list.moc"
