#pragma once

// What the pane's tests read of the real engine's pages, as a screen reader
// would.

#include <QAccessible>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGui/private/qaccessiblecache_p.h>
#include <QtGui/private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

constexpr int kPageTimeoutMs = 60000;

// Qt's accessibility switched on or off as the bridge does when an assistive
// tool starts or leaves listening: every activation observer hears of it.
inline bool listenAsAssistiveTool(bool on) {
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(on);
    return QAccessible::isActive() == on;
}

// Everything a screen reader would hear reading from `node` down.
inline QString readAloud(QAccessibleInterface* node, int depth = 0) {
    if (!node || !node->isValid() || depth > 64)
        return {};
    QString heard = node->text(QAccessible::Name) + QLatin1Char(' ');
    for (int i = 0; i < node->childCount(); ++i)
        heard += readAloud(node->child(i), depth + 1);
    return heard;
}

// The plain objects under `root`, as the engine hangs them: those with a
// live interface and those without.
struct NodeCount {
    int live = 0;
    int leftover = 0;
};
inline NodeCount countNodes(const QObject* root) {
    NodeCount count;
    for (QObject* o : root->findChildren<QObject*>()) {
        if (o->metaObject() != &QObject::staticMetaObject)
            continue;
        if (QAccessibleCache::instance()->containsObject(o))
            ++count.live;
        else
            ++count.leftover;
    }
    return count;
}

// Ordinary pages of the same shape: many nodes, one line naming the edition.
inline QString writePage(const QTemporaryDir& dir, int edition) {
    QString html = QStringLiteral("<html><head><title>Edition %1</title></head><body>"
                                  "<h1>Edition number %1</h1>")
                       .arg(edition);
    for (int i = 0; i < 150; ++i)
        html += QStringLiteral("<p id='p%1'>Paragraph %1 <a href='#p%1'>link</a></p>").arg(i);
    html += QStringLiteral("</body></html>");
    const QString path = dir.filePath(QStringLiteral("page%1.htm").arg(edition));
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(html.toUtf8());
    return path;
}

inline QString heading(int edition) {
    return QStringLiteral("Edition number %1").arg(edition);
}
