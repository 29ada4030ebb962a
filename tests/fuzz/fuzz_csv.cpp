// Tables of the folder driver: a CSV or text file read into the in-memory database when a
// statement uses it (separator, encoding and column types found from the file), then every row
// read back.
#include "FuzzTarget.h"

#include "platform/core/Exceptions.h"
#include "platform/data/Drivers.h"

#include <QDir>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QSqlRecord>

namespace {

std::vector<QByteArray> Seeds()
{
    return {QByteArray("CODIGO,NOME,PRECO,CADASTRO\r\n1,Caneta azul,2.50,2024-01-31\r\n2,\"Papel A4, resma\",24.90,31/12/2023\r\n"),
            QByteArray("id;descricao;valor\n10;\"com \"\"aspas\"\"\";1,5\n11;;-3e2\n12;texto;\n"),
            QByteArray("\xEF\xBB\xBF" "a\tb\tc\n1\t2\t3\n\"multi\nlinha\"\tx\t\n"),
            QByteArray("NOME,CIDADE\r\nJos\xE9,S\xE3o Paulo\r\n,\r\n")};
}

} // namespace

TESSIV_FUZZ_TARGET(csv, Seeds)
{
    using namespace tessiv;
    fuzz::InitOnce();
    const QString folder = fuzz::ScratchPath(QStringLiteral("tables"));
    QDir().mkpath(folder);
    {
        QFile f(folder + QStringLiteral("/dados.csv"));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    bool accepted = false;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("fuzz_csv"));
        db.setDatabaseName(QStringLiteral(":memory:"));
        if (db.open()) {
            try {
                const QString sql = QStringLiteral("SELECT * FROM \"dados.csv\"");
                LoadFolderTablesOf(db, folder, sql);
                accepted = true;
                QSqlQuery q(db);
                if (q.exec(sql)) {
                    const int columns = q.record().count();
                    while (q.next())
                        for (int c = 0; c < columns; ++c)
                            q.value(c);
                }
            } catch (const Exception&) {
            }
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("fuzz_csv"));
    return accepted;
}
