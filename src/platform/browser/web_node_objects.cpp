#include "platform/browser/web_node_objects.h"

#include <QList>
#include <QtGui/private/qaccessiblecache_p.h>

namespace {

bool isPlain(const QObject* object) {
    return object->metaObject() == &QObject::staticMetaObject;
}

class Sweep {
public:
    explicit Sweep(QObject* home) : home_(home) {}

    int run() {
        for (QObject* child : home_->children())
            if (isPlain(child))
                visit(child, false);
        for (QObject* object : kept_)
            object->setParent(home_);
        for (QObject* object : dead_)
            delete object;
        return deadCount_;
    }

private:
    // Its interface was registered and has been deleted since: the cache
    // watches the object of each interface it registers, and goes on watching
    // once the interface is gone.
    bool isDead(QObject* object) const {
        if (cache_->containsObject(object))
            return false;
        return QObject::disconnect(object, &QObject::destroyed, cache_, nullptr);
    }

    void visit(QObject* object, bool insideDead) {
        const bool dead = isDead(object);
        if (dead) {
            ++deadCount_;
            if (!insideDead)
                dead_.append(object); // its dead descendants go with it
        } else if (insideDead) {
            kept_.append(object);
        }
        for (QObject* child : object->children()) {
            if (isPlain(child))
                visit(child, dead);
            else if (dead)
                kept_.append(child);
        }
    }

    QObject* home_;
    QAccessibleCache* cache_ = QAccessibleCache::instance();
    QList<QObject*> dead_; // the outermost dead objects
    QList<QObject*> kept_; // the outermost others inside dead objects
    int deadCount_ = 0;
};

} // namespace

int releaseDeadWebNodeObjects(QObject* view) {
    return view ? Sweep(view).run() : 0;
}
