// Printing a text file: the system's print dialog, or a PDF file when no printer is set up.
#include <stdio.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTextDocument>
#include <memory>

#include "platform/Encoding.h"
#include "platform/Runtime.h"

using namespace qs::rt;

namespace {

// The times export is laid out in columns: printed in a fixed-width font.
std::unique_ptr<QTextDocument> Document(const char* path) {
    QFile f(PathFromCp1252(path));
    if (!f.open(QIODevice::ReadOnly)) return nullptr;
    const QByteArray bytes = f.readAll();
    auto doc = std::make_unique<QTextDocument>();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(9);
    doc->setDefaultFont(font);
    doc->setPlainText(FromCp1252(bytes.constData(), size_t(bytes.size())));
    return doc;
}

// Written beside the target, then renamed over it: a failed print leaves no half file.
int WritePdf(QTextDocument& doc, const QString& target, const QString& title) {
    const QFileInfo info(target);
    const QString temp =  // a name's start: the longest name leaves no room for more
        info.absolutePath() + QStringLiteral("/.") + info.fileName().left(64) + QStringLiteral(".tmp");
    {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(temp);
        printer.setDocName(title);
        doc.print(&printer);
        if (printer.printerState() == QPrinter::Error) {
            QFile::remove(temp);
            return -1;
        }
    }
    if (QFileInfo(temp).size() <= 0 ||
        rename(QFile::encodeName(temp).constData(), QFile::encodeName(target).constData()) != 0) {
        QFile::remove(temp);
        return -1;
    }
    return 1;
}

}  // namespace

int GetPrinterCount() {
    return QCoreApplication::instance() ? int(QPrinterInfo::availablePrinterNames().size()) : 0;
}

int PrintTextFile(const char* path, const char* title, const char* pdfPath) {
    if (!QCoreApplication::instance()) return -1;
    std::unique_ptr<QTextDocument> doc = Document(path);
    if (!doc) return -1;
    const QString name = FromCp1252(title);
    if (pdfPath && *pdfPath) return WritePdf(*doc, PathFromCp1252(pdfPath), name);
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(name);
    QPrintDialog dialog(&printer, nullptr);
    dialog.setWindowTitle(name);
    dialog.setWindowModality(Qt::ApplicationModal);
    ShowOverParent(&dialog, DialogParent());
    if (dialog.exec() != QDialog::Accepted) return 0;
    doc->print(&printer);
    return printer.printerState() == QPrinter::Error ? -1 : 1;
}
