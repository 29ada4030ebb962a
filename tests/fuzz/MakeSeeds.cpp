// Writes every target's seeds (made by our own writers) into DIR/<target>/, for a fuzz campaign's
// corpus: fuzz_seeds DIR.

#include "FuzzTarget.h"

#include <QDir>
#include <QFile>

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fputs("usage: fuzz_seeds DIR\n", stderr);
        return 2;
    }
    fuzz::InitOnce();
    const QString root = QString::fromLocal8Bit(argv[1]);
    for (const fuzz::TTarget& t : fuzz::Targets()) {
        const QString dir = root + QLatin1Char('/') + QString::fromLatin1(t.Name);
        QDir().mkpath(dir);
        int n = 0;
        for (const QByteArray& seed : t.Seeds()) {
            QFile f(dir + QStringLiteral("/seed-%1").arg(++n, 2, 10, QLatin1Char('0')));
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(seed) != seed.size()) {
                std::fprintf(stderr, "fuzz_seeds: cannot write %s\n", qPrintable(f.fileName()));
                return 1;
            }
        }
        std::printf("%s: %d seeds\n", t.Name, n);
    }
    return 0;
}
