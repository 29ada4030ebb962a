// The program's main block. The designer's main window comes with the designer; until then the
// program only reports its name and version.
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessiv"));
    QCoreApplication::setApplicationVersion(QStringLiteral("0.1.0"));
    std::printf("Tessiv %s\n", qPrintable(QCoreApplication::applicationVersion()));
    return 0;
}
