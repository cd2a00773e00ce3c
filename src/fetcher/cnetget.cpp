#include "fetcher/cnetget.h"

#include "fetcher/fetcher_log.h"
#include "fetcher/typed_address.h"
#include "platform/busy_pointer.h"
#include "platform/internet_errors.h"
#include "platform/page_reader.h"
#include "platform/program_info.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMetaObject>

#include <algorithm>
#include <limits>

namespace {

// The byte total is a signed 32-bit count, as it always was.
constexpr qint64 kMaxPage = std::numeric_limits<std::int32_t>::max();

// Whether a buffer is kept for the next read. A watched page comes back at
// about its old size, and memory fresh from the system costs a page fault for
// every 4 KB touched; a buffer far larger than the page, or a huge one, goes.
bool keepForNextRead(qsizetype capacity, qsizetype pageSize) {
    constexpr qsizetype kMaxKept = 32 * 1024 * 1024;
    return capacity <= kMaxKept && capacity <= 2 * pageSize + 64 * 1024;
}

QString openFailureText(const QFile& file) {
    const QString name = file.fileName();
    if (name.trimmed().isEmpty())
        return QStringLiteral("Bad file name or number");
    const QFileInfo info(name);
    if (info.isDir())
        return QStringLiteral("Path/File access error");
    if (!info.absoluteDir().exists())
        return QStringLiteral("Path not found");
    if (file.error() == QFileDevice::PermissionsError)
        return QStringLiteral("Permission denied");
    return QStringLiteral("Path/File access error");
}

} // namespace

// One read under way.
struct CNetGet::Read {
    std::unique_ptr<QFile> file; // where the page goes instead of the text
    qint64 shown = -1;           // the byte total the status window shows
    quint64 serial = 0;          // tells this read from any later one
    bool answered = false;       // the answer's body has begun to come
};

// A failure of the read itself ends with "Ready"; one of the program's own
// (a file that cannot be written, a page past the byte count) without it.
enum class CNetGet::Ending { Ready, Quiet };

CNetGet::CNetGet(PageReader& reader, BusyPointer& pointer, const ProgramInfo& program,
                 QObject* parent)
    : QObject(parent), reader_(reader), pointer_(pointer), program_(program) {
    connect(&reader_, &PageReader::progressed, this, &CNetGet::progressed);
    connect(&reader_, &PageReader::finished, this, &CNetGet::finished);
    parseTimer_.setSingleShot(true);
    connect(&parseTimer_, &QTimer::timeout, this, [this] {
        if (parseStretch())
            emit parsed();
    });
}

CNetGet::~CNetGet() {
    CancelParse();
    CancelRead();
    Term();
}

void CNetGet::CheckError() {
    if (lLastCode_ > 0)
        sLastError = TranslateErrorCode(lLastCode_);
}

void CNetGet::Init(const std::optional<QString>& vInUserAgent) {
    sUserAgent = vInUserAgent ? *vInUserAgent : program_.exeName();
    Term();
    sRawHTML.clear();
    sLastError.clear();
    bSessionOpen = true;
}

// Closing a session that is not open fails, as closing any stale handle does.
void CNetGet::Term() {
    CancelRead();
    if (!bSessionOpen) {
        lLastCode_ = InternetError::InvalidHandle;
        CheckError();
        return;
    }
    bSessionOpen = false;
    lLastCode_ = 0;
    ShowStatus(QStringLiteral("Ready"));
}

void CNetGet::ReadUrl(const QString& sUrl, const std::optional<QString>& vFileName) {
    CancelParse(); // its page goes
    CancelRead();
    reading_ = std::make_unique<Read>();
    reading_->serial = ++reads_;
    pointer_.setBusy();
    ShowStatus(QStringLiteral("Opening: ") + sUrl);
    if (vFileName) {
        auto file = std::make_unique<QFile>(*vFileName);
        if (vFileName->trimmed().isEmpty() ||
            !file->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
            failLater(openFailureText(*file), Ending::Quiet);
            return;
        }
        reading_->file = std::move(file);
    }
    const std::optional<QByteArray> address = addressBytes(sUrl);
    if (!bSessionOpen || !address) {
        lLastCode_ = bSessionOpen ? InternetError::InvalidUrl : InternetError::InvalidHandle;
        CheckError();
        failLater(sLastError, Ending::Ready);
        return;
    }
    QByteArray room = std::exchange(spare_, {});
    room.resize(0);
    reader_.fetch({*address, sUserAgent.toLatin1(), std::move(room)});
}

void CNetGet::CancelRead() {
    if (!reading_)
        return;
    reader_.abandon();
    reading_.reset();
    pointer_.restore();
}

void CNetGet::progressed(qint64 bytes) {
    if (!reading_)
        return;
    // A read whose answer has begun replaces the page, whatever comes of it:
    // a large page must not be held twice, once old and once coming in.
    // The old page's buffer, when not too large, is the next read's room.
    if (!reading_->answered) {
        reading_->answered = true;
        QByteArray previous = std::exchange(sRawHTML, {});
        if (keepForNextRead(previous.capacity(), previous.size()))
            spare_ = std::move(previous);
    }
    if (bytes > kMaxPage) {
        reader_.abandon();
        sLastError = QStringLiteral("Overflow");
        end(false, Ending::Quiet);
        return;
    }
    // The text is built only for a window that shows it: for every piece of
    // a large page it would cost a good part of the read.
    if (objStatus && bytes != reading_->shown) {
        reading_->shown = bytes;
        ShowStatus(QStringLiteral("Reading Url: ") + QString::number(bytes) +
                   QStringLiteral(" bytes read"));
    }
}

void CNetGet::finished(const PageResult& result) {
    if (!reading_) {
        qCWarning(lcFetcher).noquote() << "A page came that no read waits for; it is dropped.";
        return;
    }
    if (!result.ok()) {
        lLastCode_ = result.error;
        CheckError();
        // The user must not read an older failure's text for this one.
        if (!result.errorText.isEmpty() || lLastCode_ <= 0)
            sLastError =
                result.errorText.isEmpty() ? TranslateErrorCode(lLastCode_) : result.errorText;
        end(false, Ending::Ready);
        return;
    }
    if (result.body.size() > kMaxPage) {
        sLastError = QStringLiteral("Overflow");
        end(false, Ending::Quiet);
        return;
    }
    lLastCode_ = 0;
    reading_->shown = -1; // the total is shown once more at the end, as it came
    progressed(result.body.size());
    if (reading_->file) {
        QFile& file = *reading_->file;
        if (file.write(result.body) != result.body.size() || !file.flush()) {
            sLastError = QStringLiteral("Device I/O error");
            end(false, Ending::Quiet);
            return;
        }
        sRawHTML.clear();
    } else {
        sRawHTML = result.body;
    }
    end(true, Ending::Ready);
}

// A read that fails before it reaches the reader still ends from the event
// loop, as every read does; only the read that failed ends there, since
// another may have begun meanwhile.
void CNetGet::failLater(const QString& text, Ending ending) {
    sLastError = text;
    QMetaObject::invokeMethod(
        this,
        [this, serial = reading_->serial, ending] {
            if (reading_ && reading_->serial == serial)
                end(false, ending);
        },
        Qt::QueuedConnection);
}

void CNetGet::end(bool ok, Ending ending) {
    reading_.reset(); // the file is closed here
    if (ending == Ending::Ready)
        ShowStatus(QStringLiteral("Ready"));
    pointer_.restore();
    emit readFinished(ok);
}

void CNetGet::SetStatusWindow(QObject* objStatusWindow) {
    objStatus = objStatusWindow;
}

QString CNetGet::GetRawHTML() const {
    return GetRawHTMLHead(sRawHTML.size());
}

std::pair<qsizetype, qsizetype> CNetGet::rawHTMLBounds() const {
    qsizetype begin = 0;
    qsizetype end = sRawHTML.size();
    while (begin < end && sRawHTML[begin] == ' ')
        ++begin;
    while (end > begin && sRawHTML[end - 1] == ' ')
        --end;
    return {begin, end};
}

QString CNetGet::GetRawHTMLHead(qsizetype lMaxChars) const {
    auto [begin, end] = rawHTMLBounds();
    end = std::min(end, begin + std::max<qsizetype>(lMaxChars, 0));
    return QString::fromLatin1(sRawHTML.constData() + begin, end - begin);
}

qsizetype CNetGet::GetRawHTMLLength() const {
    const auto [begin, end] = rawHTMLBounds();
    return end - begin;
}

QString CNetGet::GetLastError() const {
    return sLastError;
}

void CNetGet::SetUserAgent(const QString& sInUserAgent) {
    if (!sInUserAgent.isEmpty())
        sUserAgent = sInUserAgent;
}

void CNetGet::ShowStatus(const QString& text) {
    if (objStatus && !objStatus->setProperty("text", text))
        qCInfo(lcFetcher).noquote()
            << "The status window" << objStatus->objectName() << "has no text to show" << text;
}
