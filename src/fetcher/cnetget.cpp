#include "fetcher/cnetget.h"

#include "fetcher/typed_address.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QObject>

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>
#include <utility>

namespace {

constexpr std::uint32_t kChunk = 2048;
// The most a read sets aside from the announced length: a lying header must
// not make it claim gigabytes. Larger pages grow past it as they come in.
constexpr std::int64_t kMaxReserve = 64 * 1024 * 1024;
// Whether a buffer is kept for the next read. A watched page comes back at
// about its old size, and memory fresh from the system costs a page fault for
// every 4 KB touched; a buffer far larger than the page, or a huge one, goes.
bool keepForNextRead(qsizetype capacity, qsizetype pageSize) {
    constexpr qsizetype kMaxKept = 32 * 1024 * 1024;
    return capacity <= kMaxKept && capacity <= 2 * pageSize + 64 * 1024;
}

// A run-time failure inside ReadUrl, carrying the text the user will read.
class RunTimeFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Makes room for `count` more bytes at the page's end and returns where they
// go. QByteArray::append grows a full buffer into a new block and copies it,
// so that for a moment the page is held twice; growing it here goes through
// realloc instead, which moves a large block without copying it.
char* pageRoom(QByteArray& page, qsizetype count) {
    const qsizetype at = page.size();
    if (page.capacity() - at < count)
        page.reserve(std::max(at + count, page.capacity() * 2));
    page.resize(at + count);
    return page.data() + at;
}

template <typename Step> void ignoreFailure(Step&& step) {
    try {
        step();
    } catch (...) {
    }
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

CNetGet::CNetGet(InternetApi& internet, BusyPointer& pointer, EventPump& events,
                 const ProgramInfo& program)
    : internet_(internet), pointer_(pointer), events_(events), program_(program) {}

CNetGet::~CNetGet() {
    // The owner is being torn down: letting window events run now could reach
    // it half destroyed, so the closing runs without them.
    bTerminating_ = true;
    Term();
}

void CNetGet::CheckError() {
    const std::int32_t code = internet_.lastError();
    if (code > 0)
        sLastError = TranslateErrorCode(code);
}

void CNetGet::Init(const std::optional<QString>& vInUserAgent) {
    ignoreFailure([&] { sUserAgent = vInUserAgent ? *vInUserAgent : program_.exeName(); });
    ignoreFailure([&] { Term(); });
    hUrl = 0;
    sRawHTML.clear();
    sLastError.clear();
    ignoreFailure([&] { hSession = internet_.InternetOpen(sUserAgent.toLatin1()); });
    bSessionOpen = hSession != 0;
}

void CNetGet::Term() {
    bool ok = false;
    ignoreFailure([&] { ok = internet_.InternetCloseHandle(hSession); });
    if (ok) {
        bSessionOpen = false;
        ShowStatus(QStringLiteral("Ready"));
    } else {
        ignoreFailure([&] { CheckError(); });
    }
}

bool CNetGet::ReadUrl(const QString& sUrl, const std::optional<QString>& vFileName) {
    InternetHandle url = 0;
    std::optional<QFile> file;
    try {
        pointer_.setBusy();
        ShowStatus(QStringLiteral("Opening: ") + sUrl);
        if (vFileName) {
            file.emplace(*vFileName);
            if (vFileName->trimmed().isEmpty() ||
                !file->open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw RunTimeFailure(openFailureText(*file).toStdString());
        }
        const std::optional<QByteArray> address = addressBytes(sUrl);
        hUrl = address ? internet_.InternetOpenUrl(hSession, *address) : 0;
        // Keep our own copy: an event handled below may start another read
        // that reuses the field.
        url = hUrl;
        if (url == 0) {
            if (address)
                CheckError();
            else
                sLastError = TranslateErrorCode(InternetError::InvalidUrl);
            file.reset();
            ShowStatus(QStringLiteral("Ready"));
            pointer_.restore();
            return false;
        }

        QByteArray page = std::exchange(spare_, {});
        page.resize(0); // a buffer still shared with a reader detaches here
        reserveAnnounced(page, url);
        char fileBuffer[kChunk];
        std::int32_t lTotalRead = 0;
        bool failed = false;
        for (;;) {
            // A page is read straight into its own spare room, saving a copy;
            // what the read does not fill is cut off again below.
            const qsizetype at = page.size();
            char* const buffer = file ? fileBuffer : pageRoom(page, kChunk);
            std::memset(buffer, ' ', kChunk);
            std::uint32_t lBytesRead = 0;
            const bool ok = internet_.InternetReadFile(url, buffer, kChunk, &lBytesRead);
            if (!ok) {
                failed = true;
                CheckError();
                // The user must not read an older failure's text for this one.
                if (internet_.lastError() <= 0)
                    sLastError = TranslateErrorCode(0);
            }
            if (lBytesRead > kChunk)
                throw RunTimeFailure("Internal error");
            if (!file)
                page.resize(at + static_cast<qsizetype>(lBytesRead));
            if (lTotalRead >
                std::numeric_limits<std::int32_t>::max() - static_cast<std::int32_t>(lBytesRead))
                throw RunTimeFailure("Overflow");
            lTotalRead += static_cast<std::int32_t>(lBytesRead);
            ShowReadingStatus(lTotalRead);
            if (file && lBytesRead > 0 && file->write(buffer, lBytesRead) != qint64{lBytesRead})
                throw RunTimeFailure("Device I/O error");
            if (!ok || lBytesRead == 0)
                break;
        }

        internet_.InternetCloseHandle(url);
        url = 0;
        if (file) {
            if (!file->flush())
                throw RunTimeFailure("Device I/O error");
            file.reset();
        }
        // A page cut short is not the page: the previous one stays, and the
        // caller is told the read failed.
        if (!failed && !vFileName)
            std::swap(sRawHTML, page);
        if (!failed && vFileName)
            sRawHTML.clear();
        if (keepForNextRead(page.capacity(), sRawHTML.size()))
            spare_ = std::move(page);
        ShowStatus(QStringLiteral("Ready"));
        pointer_.restore();
        return !failed;
    } catch (const std::bad_alloc&) {
        sLastError = QStringLiteral("Out of memory");
    } catch (const std::exception& failure) {
        sLastError = QString::fromStdString(failure.what());
    }
    if (url != 0)
        ignoreFailure([&] { internet_.InternetCloseHandle(url); });
    file.reset();
    ignoreFailure([&] { pointer_.restore(); });
    return false;
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

void CNetGet::reserveAnnounced(QByteArray& page, InternetHandle url) {
    ignoreFailure([&] {
        const std::int64_t announced = internet_.contentLength(url);
        // The last read needs a whole chunk of room past the announced end.
        if (announced > 0)
            page.reserve(static_cast<qsizetype>(std::min(announced, kMaxReserve)) + kChunk);
    });
}

void CNetGet::ShowReadingStatus(std::int32_t lTotalRead) {
    // The text is built only for a window that shows it: once per chunk it
    // would cost a good part of the read. The events run either way.
    if (objStatus) {
        ShowStatus(QStringLiteral("Reading Url: ") + QString::number(lTotalRead) +
                   QStringLiteral(" bytes read"));
        return;
    }
    if (!bTerminating_)
        ignoreFailure([&] { events_.processEvents(); });
}

void CNetGet::ShowStatus(const QString& text) {
    ignoreFailure([&] {
        if (objStatus)
            objStatus->setProperty("text", text);
    });
    if (!bTerminating_)
        ignoreFailure([&] { events_.processEvents(); });
}
