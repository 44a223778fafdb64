// Renders a quick-start guide written in Markdown to a PDF page set.
#include <QApplication>
#include <QFile>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        fprintf(stderr, "usage: mkdoc <guide.md> <out.pdf>\n");
        return 2;
    }
    QFile in(QString::fromLocal8Bit(argv[1]));
    if (!in.open(QIODevice::ReadOnly)) return 1;
    QTextDocument doc;
    doc.setDefaultFont(QFont("DejaVu Sans", 10));
    doc.setMarkdown(QString::fromUtf8(in.readAll()));
    QPdfWriter pdf(QString::fromLocal8Bit(argv[2]));
    pdf.setPageSize(QPageSize(QPageSize::A4));
    pdf.setPageMargins(QMarginsF(18, 15, 18, 15), QPageLayout::Millimeter);
    pdf.setTitle(QStringLiteral("QS-310 Manager - Quick Start"));
    pdf.setCreator(QStringLiteral("QS-310 Manager"));
    doc.print(&pdf);
    return 0;
}
