#include "sound/form3.h"

#include "platform/message_boxes.h"
#include "platform/short_path_service.h"
#include "sound/drive_list.h"
#include "sound/file_list.h"
#include "sound/folder_list.h"
#include "widgets/accessible_windows.h"
#include "widgets/twips.h"

#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <exception>

namespace {

constexpr float kClientWidth = 4455;
constexpr float kClientHeight = 5340;
constexpr std::uint32_t kBufferLength = 1000;

template <typename T>
T* make(QWidget* parent, const char* name, float l, float t, float w, float h) {
    auto* c = new T(parent);
    c->setObjectName(QString::fromLatin1(name));
    twips::setGeometry(c, l, t, w, h);
    return c;
}

} // namespace

Form3::Form3(ShortPathService& shortPath, MessageBoxes& messages, QString& waveFile,
             QWidget* parent)
    : QWidget(parent), shortPath_(shortPath), messages_(messages), waveFile_(waveFile) {
    exposeWindowToAssistiveTools("Form3");
    setObjectName(QStringLiteral("Form3"));
    // A window of its own even with a parent: a fixed tool window that only
    // offers to close.
    setWindowFlags(Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle(QStringLiteral("Select wav file:"));
    createControls();
    wireEvents();
}

void Form3::createControls() {
    const double scale = twips::pixelsPerTwip(this);
    setFixedSize(twips::toPixels(kClientWidth, scale), twips::toPixels(kClientHeight, scale));

    Drive1 = make<DriveList>(this, "Drive1", 120, 120, 4215, 315);
    Dir1 = make<FolderList>(this, "Dir1", 0, 600, 4455, 1890);
    Label1 = make<QLabel>(this, "Label1", 0, 2520, 4335, 255);
    Label1->setText(QStringLiteral("Select file"));
    File1 = make<FileList>(this, "File1", 0, 2760, 4455, 1845);
    File1->setPattern(QStringLiteral("*.wav"));
    Command1 = make<QPushButton>(this, "Command1", 120, 4800, 2055, 375);
    Command1->setText(QStringLiteral("&OK"));
    Command2 = make<QPushButton>(this, "Command2", 2280, 4800, 2055, 375);
    Command2->setText(QStringLiteral("&Cancel"));

    // Tab goes down the window: drive, folder, file, then OK and Cancel.
    setTabOrder(Drive1, Dir1);
    setTabOrder(Dir1, File1);
    setTabOrder(File1, Command1);
    setTabOrder(Command1, Command2);
    // Enter presses the focused button, as Space does.
    Command1->setAutoDefault(true);
    Command2->setAutoDefault(true);

    // What a screen reader announces for the lists.
    Drive1->setAccessibleName(QStringLiteral("Drive"));
    // On Linux a combo box reports its text as its name: there the
    // description says what the list is.
    Drive1->setAccessibleDescription(QStringLiteral("Drive"));
    Dir1->setAccessibleName(QStringLiteral("Folder"));
    File1->setAccessibleName(QStringLiteral("Wave file"));
    Label1->setBuddy(File1);

    // Start on the process's current folder and its drive.
    const QString current = QDir::currentPath();
    Drive1->selectDriveOf(current);
    try {
        Dir1->setPath(current);
    } catch (const std::exception&) {
        Dir1->setPath(QDir::rootPath());
    }
    File1->setPath(Dir1->Path());
    driveFolders_.insert(Drive1->Drive(), Dir1->Path());
}

void Form3::wireEvents() {
    connect(Drive1, &QComboBox::currentIndexChanged, this, [this] { Drive1_Change(); });
    connect(Dir1, &FolderList::changed, this, [this] { Dir1_Change(); });
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    // Escape is Cancel.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, Command2, &QPushButton::click);
}

void Form3::Drive1_Change() {
    // A drive that cannot be read is ignored: the folder list stays put.
    try {
        const QString drive = Drive1->Drive();
        Dir1->setPath(driveFolders_.value(drive, drive));
    } catch (const std::exception&) {
    }
}

void Form3::Dir1_Change() {
    File1->setPath(Dir1->Path());
    driveFolders_.insert(Drive1->Drive(), Dir1->Path());
}

void Form3::Command1_Click() {
    try {
        // The root already ends in a separator; doubling it would make a
        // different (or no) path on this platform.
        QString folder = Dir1->Path();
        if (!folder.endsWith(QLatin1Char('/')))
            folder += QLatin1Char('/');
        const QString longPath = QDir::toNativeSeparators(folder + File1->FileName());
        const QByteArray longBytes = longPath.toLatin1();
        // Outside the code page a character turns into '?', which could name
        // another file: such a path cannot be chosen.
        if (QString::fromLatin1(longBytes) != longPath)
            throw std::runtime_error("path outside the code page");

        QByteArray buffer(kBufferLength, ' ');
        shortPath_.GetShortPathName(longBytes, buffer.data(), kBufferLength);
        // The result is the text up to the NUL the service wrote; no NUL
        // means it wrote nothing, and an empty path names no file.
        const qsizetype end = buffer.indexOf('\0');
        if (end <= 0)
            throw std::runtime_error("no short path");
        waveFile_ = QString::fromLatin1(buffer.left(end));
        hide();
    } catch (const std::exception&) {
        messages_.show(QStringLiteral("You must select a file !"), QStringLiteral("Hey.."));
    }
}

void Form3::Command2_Click() {
    hide();
}

void Form3::showEvent(QShowEvent* event) {
    if (!placed_) {
        placed_ = true;
        QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        if (screen) {
            QRect frame = frameGeometry();
            frame.moveCenter(screen->availableGeometry().center());
            move(frame.topLeft());
        }
    }
    QWidget::showEvent(event);
}
