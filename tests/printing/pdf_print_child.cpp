// A print on the PDF printer in a process of its own, for the tests that need one: as another
// user, or killed while it runs. "pdf_print_child FILE" prints two pages and ends; with "hold"
// after the file it says "ready" on its standard output once the first page is drawn and the
// second begun, then waits until its standard input closes before it ends the job.
// Exit code 0: printed; 3: the printer refused, its message on the standard error.

#include "platform/printing/Printer.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstring>

using namespace tessiv;

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    QGuiApplication app(argc, argv);
    const bool hold = argc > 2 && std::strcmp(argv[2], "hold") == 0;
    TPrinter printer;
    try {
        printer.SetPrinter(TPrinter::PdfPrinterName);
        printer.SetPdfFileName(QString::fromLocal8Bit(argv[1]));
        printer.BeginDoc();
        printer.Canvas()->TextOut(600, 600, QStringLiteral("Primeira"));
        printer.NewPage();
        if (hold) {
            std::puts("ready");
            std::fflush(stdout);
            while (std::getchar() != EOF) {
            }
        }
        printer.Canvas()->TextOut(600, 600, QStringLiteral("Segunda"));
        printer.EndDoc();
    } catch (const Exception& e) {
        std::fprintf(stderr, "%s\n", e.Message().toUtf8().constData());
        return 3;
    }
    return 0;
}
