#include "bench_registry.h"

#include "node_interface.h"
#include "platform/browser/web_node_objects.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QElapsedTimer>
#include <QList>
#include <QObject>

#include <algorithm>

namespace {

// About the nodes the engine gives a page of a million characters of
// ordinary markup (elements and their text) while a screen reader runs.
constexpr int kNodes = 40000;

// A page's tree under `view`: sections of paragraphs of text and links.
QList<QAccessible::Id> buildPage(QObject* view) {
    QList<QAccessible::Id> ids;
    const auto add = [&](QObject* parent) {
        auto* o = new QObject(parent);
        ids.append(QAccessible::registerAccessibleInterface(new NodeInterface(o)));
        return o;
    };
    QObject* document = add(view);
    while (ids.size() < kNodes) {
        QObject* section = add(document);
        for (int p = 0; p < 8 && ids.size() < kNodes; ++p) {
            QObject* paragraph = add(section);
            for (int t = 0; t < 4 && ids.size() < kNodes; ++t)
                add(paragraph);
        }
    }
    return ids;
}

} // namespace

// What the pane's sweep (web_node_objects.h) costs with a screen reader on a
// large page: once with the whole tree alive (the timer's sweep between
// loads), once after the page has gone (the sweep after a load). Best of 5.
VIGILO_BENCH(node_sweep) {
    double live = 1e9;
    double dead = 1e9;
    for (int round = 0; round < 5; ++round) {
        QObject view;
        const QList<QAccessible::Id> ids = buildPage(&view);
        QElapsedTimer clock;
        clock.start();
        const int none = releaseDeadWebNodeObjects(&view);
        live = std::min(live, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        for (QAccessible::Id id : ids)
            QAccessible::deleteAccessibleInterface(id);
        clock.restart();
        const int all = releaseDeadWebNodeObjects(&view);
        dead = std::min(dead, static_cast<double>(clock.nsecsElapsed()) / 1e6);
        if (none != 0 || all != kNodes)
            qWarning("node_sweep: %d and %d objects released, expected 0 and %d", none, all,
                     kNodes);
    }
    report(QStringLiteral("node_sweep_40000_live_ms"), live);
    report(QStringLiteral("node_sweep_40000_gone_ms"), dead);
}
