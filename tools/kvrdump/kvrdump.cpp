// Looks inside report files: prints a report file (or a bare component stream) as its text form,
// and turns a text form back into a report file.
#include "platform/core/Exceptions.h"
#include "platform/core/ObjectText.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"

#include <QCoreApplication>
#include <QSaveFile>

#include <cstdio>

using namespace tessiv;

namespace {

int Usage()
{
    std::fputs("usage: kvrdump FILE              print a report file or component stream as text\n"
               "       kvrdump -t TEXT OUTPUT    write the text form TEXT as the report file OUTPUT\n"
               "       kvrdump -b TEXT OUTPUT    write the text form TEXT as a bare component stream\n",
               stderr);
    return 2;
}

void Save(const QString& name, const QByteArray& bytes)
{
    QSaveFile file(name);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(name, file.errorString()));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    try {
        if (args.size() == 1 && !args[0].startsWith(QLatin1Char('-'))) {
            TMemoryStream input;
            input.LoadFromFile(args[0]);
            TMemoryStream text;
            if (input.Bytes().startsWith("TPF0"))
                ObjectBinaryToText(input, text);
            else
                ObjectResourceToText(input, text);
            std::fwrite(text.Bytes().constData(), 1, static_cast<size_t>(text.Size()), stdout);
            return 0;
        }
        if (args.size() == 3 && (args[0] == QLatin1String("-t") || args[0] == QLatin1String("-b"))) {
            TMemoryStream text;
            text.LoadFromFile(args[1]);
            TMemoryStream output;
            if (args[0] == QLatin1String("-t"))
                ObjectTextToResource(text, output);
            else
                ObjectTextToBinary(text, output);
            Save(args[2], output.Bytes());
            return 0;
        }
        return Usage();
    } catch (const Exception& e) {
        std::fprintf(stderr, "kvrdump: %s\n", e.what());
        return 1;
    }
}
