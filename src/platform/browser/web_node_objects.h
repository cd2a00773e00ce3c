#pragma once

#include <QObject>

// While an assistive tool listens, the web engine gives each node of a page's
// accessible tree a plain QObject, parented to the object of the node's parent
// and so, at the top, to the view. When a node goes (a new page, a script
// rewriting the page) the engine deletes the node's accessible interface but
// never its object: every page shown leaves its whole tree of objects, names
// included, under the view for as long as the view lives.
//
// Deletes the objects under `view` whose accessible interface has been
// deleted. Objects whose interface is alive stay, and so does any object the
// engine did not register; those found inside a deleted one move up to `view`.
// Returns how many objects were deleted.
int releaseDeadWebNodeObjects(QObject* view);
