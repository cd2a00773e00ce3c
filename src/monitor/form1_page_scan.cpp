#include "mainwindow/form1.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// Only this much of a page takes part in the change test.
constexpr qsizetype kComparedChars = 60000;

const QString kAppTitle = QStringLiteral("Vigilo");
const QString kLinkToken = QStringLiteral("A HREF=\"");
const QString kLinkDelimiters = QStringLiteral("\">?#");
const QString kSourceToken = QStringLiteral("SRC=\"");

} // namespace

void Form1::ScanPage() {
    // Any failure but a failed download ends the scan silently; the tick
    // goes on with the address box and the browser.
    try {
        lstReferences->clear();
        lstReferences->addItem(Text1->text());
        txtRawHTML->clear();
        List3->clear();
        List4->clear();
        for (int i = 0; i < lstReferences->count(); ++i) {
            platform_.events->processEvents();
            lstReferences->setCurrentRow(i);
            const QString url = lstReferences->item(i)->text();
            colLinks = KeyedCollection();
            colSources = KeyedCollection();
            if (!url.isEmpty()) {
                CNetGet& net = netGet();
                if (net.ReadUrl(url)) {
                    net.ParseHTML(kLinkToken, colLinks, kLinkDelimiters);
                    net.ParseHTML(kSourceToken, colSources);
                    CheckForUpdate();
                } else {
                    platform_.messages->show(QStringLiteral("Error: ") + net.GetLastError(),
                                             kAppTitle);
                }
            }
            lstReferences->update();
            platform_.events->processEvents();
        }
    } catch (...) {
    }
}

// Only lengths are compared: pages that carry a clock or a counter in their
// text keep their length and must not ring the alert.
void Form1::CheckForUpdate() {
    try {
        // Only the head is converted: a page of hundreds of megabytes must
        // not be copied whole to keep 60000 characters of it.
        vPageText = netGet().GetRawHTMLHead(kComparedChars);
        if (vPageText.size() == sLastPageText.size())
            return;
        sLastPageText = vPageText;
        // The sound may be off or muted and the window covered: the taskbar
        // entry shows the change until the user comes back.
        platform_.alerts->alert(*this);
        if (Check1->isChecked())
            sound_.play();
    } catch (...) {
    }
}
