#include "bench_registry.h"

#include "fake_platform.h"
#include "mainwindow/form1.h"
#include "randomlist/random_list_file.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QListView>

#include <limits>
#include <memory>

#include <time.h>

namespace {

double threadMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

// A URL of exactly `size` characters, different for each `n`.
QByteArray url(qsizetype size, int n) {
    QByteArray u = "http://host" + QByteArray::number(n % 97) + ".example/page/" +
                   QByteArray::number(n) + "?q=";
    u.append(size - u.size(), 'a' + static_cast<char>(n % 26));
    return u;
}

// The window on fakes, started with a list file, shown and painted, as the
// user sees it. Every figure is processor time of this thread for one
// handler, its pending events and a full repaint of the window, so what the
// user waits for is counted and other work on the machine is not.
class EditorRig {
public:
    explicit EditorRig(const QByteArray& listFile) {
        QFile f(randomListPath(fakes_.dir.path()));
        if (f.open(QIODevice::WriteOnly))
            f.write(listFile);
        f.close();
        startMs = timed([&] {
            form_ = std::make_unique<Form1>(fakes_.platform());
            form_->show();
        });
    }
    ~EditorRig() {
        form_.reset();
        fakes_.browser.widget()->setParent(nullptr);
    }

    Form1& form() { return *form_; }
    FakePlatform& fakes() { return fakes_; }

    template <typename Work> double timed(Work&& work) {
        const double start = threadMs();
        work();
        QApplication::processEvents();
        if (form_)
            form_->grab();
        return threadMs() - start;
    }

    double startMs = 0;

private:
    FakePlatform fakes_;
    std::unique_ptr<Form1> form_;
};

qsizetype entriesInFile(const QString& path) {
    return readRandomListFile(path, std::numeric_limits<qsizetype>::max()).entries.size();
}

// Open, remove, add, save, a random pick, the live list's popup and clear,
// in the order a user would meet them, each reported as
// `editor_<step>_<suffix>_ms`; then how many entries the save lost, counting
// those of the file that were never loaded.
void runEditor(const QString& suffix, const QByteArray& listFile, const QString& added,
               const BenchReport& report) {
    EditorRig rig(listFile);
    Form1& f = rig.form();
    const QString path = randomListPath(rig.fakes().dir.path());
    auto out = [&](const char* step, double value, const char* unit = "ms") {
        report(
            QStringLiteral("editor_%1_%2_%3").arg(QLatin1String(step), suffix, QLatin1String(unit)),
            value);
    };
    const qsizetype notLoaded = entriesInFile(path) - f.Combo2->count();
    out("load", rig.startMs);
    out("open", rig.timed([&] { f.Command4_Click(); }));
    out("reopen", rig.timed([&] { f.Command4_Click(); }));
    QAbstractItemModel* list = f.List1->model();
    f.List1->setCurrentIndex(list->index(list->rowCount() / 2, 0));
    out("remove", rig.timed([&] { f.Command8_Click(); }));
    f.Text2->setText(added);
    out("add", rig.timed([&] { f.Command7_Click(); }));
    const qsizetype kept = list->rowCount();
    out("save", rig.timed([&] { f.Command5_Click(); }));
    // The last entry: the one added.
    rig.fakes().draws.assign({0.0, 0.999});
    f.monitor().lCountdown = 0;
    out("pick", rig.timed([&] { f.Timer1_Timer(); }));
    out("popup", rig.timed([&] {
        f.Combo2->showPopup();
        QApplication::processEvents();
        f.Combo2->view()->grab();
        f.Combo2->hidePopup();
    }));
    f.Command4_Click();
    out("clear", rig.timed([&] { f.Command9_Click(); }));
    f.Command6_Click();
    out("saved_entries_lost", static_cast<double>(kept + notLoaded - entriesInFile(path)), "count");
}

QByteArray listOf(int entries) {
    QByteArray file;
    file.reserve(entries * 102);
    for (int i = 0; i < entries; ++i)
        file += url(100, i) + "\r\n";
    return file;
}

} // namespace

// The list editor with a full list of ordinary entries.
VIGILO_BENCH(editor) {
    const int entries = static_cast<int>(kMaxRandomListEntries);
    runEditor(QString::number(entries), listOf(entries), QString::fromLatin1(url(100, -1)), report);
}

// A list file with more entries than the list holds: the editor shows the
// first ones, and a save must keep the others.
VIGILO_BENCH(editor_over_limit) {
    runEditor(QStringLiteral("40000"), listOf(40000), QString::fromLatin1(url(100, -1)), report);
}

// The list editor with one huge entry, and the same entry added again.
VIGILO_BENCH(editor_huge_entry) {
    const qsizetype size = 50 * 1024 * 1024;
    const QByteArray huge = url(size, 7);
    runEditor(QStringLiteral("50mb"), huge + "\r\nhttp://small.example/\r\n",
              QString::fromLatin1(huge), report);
}
