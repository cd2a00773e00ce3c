#include "sound/folder_list.h"

#include <QAccessible>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QtGui/private/qguiapplication_p.h>
#include <QtTest>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

QList<QObject*> describedAnew; // objects whose description tools were told changed
void recordEvent(QAccessibleEvent* event) {
    if (event->type() == QAccessible::DescriptionChanged)
        describedAnew << event->object();
}

// The leftmost column of `row` drawn in anything but the list's base colour.
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
    void init() {
        QVERIFY(dir_.isValid());
        root_ = QDir(dir_.path()).canonicalPath();
        for (const char* name : {"alpha", "sounds", "sub folder/deeper"})
            QVERIFY(QDir(root_).mkpath(QString::fromLatin1(name)));
    }

    // Each entry reads as the folder's name alone and is indented as drawn.
    void entriesAreNamesIndentedByDrawing() {
        FolderList list;
        list.resize(300, 400);
        list.setPath(root_ + QStringLiteral("/sub folder"));
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QStringList chain = root_.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        chain = QStringList{QStringLiteral("/")} + chain + QStringList{"sub folder", "deeper"};
        QCOMPARE(list.count(), chain.size());
        list.clearSelection(); // a highlight would count as ink
        const QImage drawn = list.viewport()->grab().toImage();
        const QRgb base = list.viewport()->palette().color(QPalette::Base).rgb();
        int previousInk = -1;
        for (int i = 0; i < list.count(); ++i) {
            QCOMPARE(list.item(i)->text(), chain[i]);
            QCOMPARE(
                QAccessible::queryAccessibleInterface(&list)->child(i)->text(QAccessible::Name),
                chain[i]);
            const int ink = leftmostInk(drawn, list.visualItemRect(list.item(i)), base);
            QVERIFY2(ink > previousInk, qPrintable(QStringLiteral("row %1 at %2").arg(i).arg(ink)));
            previousInk = ink;
        }
    }

    void typingAFoldersFirstLettersMovesToIt() {
        FolderList list;
        list.setPath(root_);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        QTest::keyClicks(&list, QStringLiteral("so"));
        QCOMPARE(list.currentItem()->text(), QStringLiteral("sounds"));
        QTest::keyClick(&list, Qt::Key_Return);
        QCOMPARE(list.Path(), root_ + QStringLiteral("/sounds"));
    }

    // At every move, tools listening are told the full path in view.
    void toolsAreToldThePathInView() {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        QAccessible::installUpdateHandler(recordEvent);
        const auto restore = qScopeGuard([] {
            QAccessible::installUpdateHandler(nullptr);
            QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        });
        FolderList list;
        for (const QString& folder : {root_, root_ + QStringLiteral("/sub folder/deeper")}) {
            describedAnew.clear();
            list.setPath(folder);
            QCOMPARE(QAccessible::queryAccessibleInterface(&list)->text(QAccessible::Description),
                     QDir::toNativeSeparators(folder));
            QCOMPARE(describedAnew, QList<QObject*>{&list});
            QCOMPARE(list.toolTip(), QDir::toNativeSeparators(folder));
        }
    }

private:
    QTemporaryDir dir_;
    QString root_;
};

QTEST_MAIN(TestFolderList)
#include "tst_folder_list.moc"
