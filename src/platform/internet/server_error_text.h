#pragma once

#include <QByteArrayView>
#include <QString>

// What the user reads for an answer with a server error status: "The server
// answered 503 Service Unavailable." The reason phrase is the server's own,
// read as Latin-1; where it sent none (HTTP/2 never does) HTTP's standard
// phrase for the status stands in, and the status alone where there is none.
QString serverErrorText(long status, QByteArrayView reason);
