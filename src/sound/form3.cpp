#include "sound/form3.h"

#include "platform/message_boxes.h"
#include "sound/drive_list.h"
#include "sound/file_list.h"
#include "sound/folder_list.h"
#include "sound/sound_log.h"
#include "widgets/accessible_windows.h"
#include "widgets/twips.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>

#include <exception>

namespace {

constexpr float kClientWidth = 4455;
constexpr float kClientHeight = 5340;

template <typename T>
T* make(QWidget* parent, const char* name, float l, float t, float w, float h) {
    auto* c = new T(parent);
    c->setObjectName(QString::fromLatin1(name));
    twips::setGeometry(c, l, t, w, h);
    return c;
}

} // namespace

Form3::Form3(MessageBoxes& messages, QWidget* parent) : QWidget(parent), messages_(messages) {
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
    } catch (const std::exception& e) {
        qCInfo(lcSound) << "the chooser starts at the root:" << current << e.what();
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
    const QString drive = Drive1->Drive();
    try {
        Dir1->setPath(driveFolders_.value(drive, drive));
    } catch (const std::exception& e) {
        qCInfo(lcSound) << "the drive cannot be read:" << drive << e.what();
    }
}

void Form3::Dir1_Change() {
    File1->setPath(Dir1->Path());
    driveFolders_.insert(Drive1->Drive(), Dir1->Path());
}

void Form3::Command1_Click() {
    // The root already ends in a separator.
    QString folder = Dir1->Path();
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    const QString name = File1->FileName();
    const QString path = folder + name;
    // The file may have gone since the list was filled.
    if (name.isEmpty() || !QFileInfo(path).isFile()) {
        qCInfo(lcSound) << "no wave file chosen:" << path;
        messages_.show(QStringLiteral("You must select a file !"), QStringLiteral("Hey.."));
        return;
    }
    emit fileChosen(path);
    hide();
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
