#include "designer/document/ReportFile.h"

#include "platform/core/Exceptions.h"
#include "platform/core/ResFile.h"
#include "platform/core/Streams.h"

#include <cstring>

namespace tessiv {

namespace {

// Copies a component stream value by value, so that each property is seen with its name and
// type and nothing else is interpreted.
class TStreamRepairer {
public:
    TStreamRepairer(const QByteArray& in, qsizetype pos, TReportRepair repair, TRepairedStream& result)
        : FIn(in), FPos(pos), FRepair(repair), FResult(result)
    {
    }

    void Run()
    {
        if (Take(4) != QByteArrayLiteral("TPF0"))
            Bad();
        FOut += QByteArrayLiteral("TPF0");
        Component(0);
    }

    QByteArray Out() const { return FOut; }

private:
    [[noreturn]] void Bad() const { throw EInvalidImage(QStringLiteral("Invalid stream format")); }

    QByteArray Take(qsizetype n)
    {
        if (n < 0 || FPos + n > FIn.size())
            Bad();
        QByteArray b = FIn.mid(FPos, n);
        FPos += n;
        return b;
    }
    quint8 Byte() { return static_cast<quint8>(Take(1).at(0)); }
    quint8 Peek() const
    {
        if (FPos >= FIn.size())
            Bad();
        return static_cast<quint8>(FIn.at(FPos));
    }
    quint32 U32(QByteArray& raw)
    {
        raw = Take(4);
        quint32 v;
        std::memcpy(&v, raw.constData(), 4);
        return v;
    }
    QByteArray ShortString() // length byte included
    {
        const quint8 len = Byte();
        return QByteArray(1, char(len)) + Take(len);
    }
    static QByteArray Short(const QByteArray& text) { return QByteArray(1, char(text.size())) + text; }

    // One value, returned as its bytes.
    QByteArray Value(int depth)
    {
        if (depth > 64)
            Bad();
        const quint8 type = Byte();
        QByteArray out(1, char(type));
        QByteArray raw;
        switch (type) {
        case 0: case 8: case 9: case 13: break;
        case 1:
            while (Peek() != 0)
                out += Value(depth + 1);
            out += Take(1);
            break;
        case 2: out += Take(1); break;
        case 3: out += Take(2); break;
        case 4: case 15: out += Take(4); break;
        case 5: out += Take(10); break;
        case 6: case 7: out += ShortString(); break;
        case 10: case 12: case 20: {
            const quint32 n = U32(raw);
            out += raw + Take(qsizetype(n));
            break;
        }
        case 18: {
            const quint32 n = U32(raw);
            out += raw + Take(qsizetype(n) * 2);
            break;
        }
        case 11:
            for (;;) {
                const QByteArray s = ShortString();
                out += s;
                if (s.size() == 1)
                    break;
            }
            break;
        case 14:
            while (Peek() != 0) {
                if (Peek() >= 2 && Peek() <= 4)
                    out += Value(depth + 1);
                if (Byte() != 1)
                    Bad();
                out += char(1);
                // The item's properties belong to this value, after its own bytes so far.
                Properties(depth + 1, false, QByteArray(), out);
            }
            out += Take(1);
            break;
        case 16: case 17: case 19: out += Take(8); break;
        default: Bad();
        }
        return out;
    }

    // Properties up to and including the end byte, appended to out.
    void Properties(int depth, bool isRoot, const QByteArray& componentName, QByteArray& out)
    {
        while (Peek() != 0) {
            const QByteArray nameBytes = ShortString();
            QByteArray name = nameBytes.mid(1);
            const QByteArray value = Value(depth + 1);
            const bool isTrue = value.size() == 1 && quint8(value.at(0)) == 9;
            if (componentName != QByteArray() || isRoot) {
                if (isTrue && name.compare("Active", Qt::CaseInsensitive) == 0) {
                    ++FResult.ActiveRemoved;
                    continue;
                }
                if (isTrue && name.compare("Connected", Qt::CaseInsensitive) == 0) {
                    FResult.ConnectAfterRead << QString::fromLatin1(componentName);
                    continue;
                }
                if (FRepair == TReportRepair::Legacy) {
                    if (isRoot && name.compare("OnCreate", Qt::CaseInsensitive) == 0) {
                        ++FResult.OnCreateRemoved;
                        continue;
                    }
                    if (name.compare("Bar_Caption", Qt::CaseInsensitive) == 0) {
                        ++FResult.BarCaptionRenamed;
                        name = "Bar_Text";
                    }
                }
            }
            out += Short(name);
            out += value;
        }
        out += Take(1);
    }

    void Component(int depth)
    {
        if (depth > 200)
            Bad();
        if ((Peek() & 0xF0) == 0xF0) {
            const quint8 prefix = Byte();
            FOut += char(prefix);
            if (prefix & 2)
                FOut += Value(depth);
        }
        FOut += ShortString();                 // class name
        const QByteArray name = ShortString(); // component name
        FOut += name;
        Properties(depth, depth == 0, name.size() > 1 ? name.mid(1) : QByteArray(" "), FOut);
        while (Peek() != 0)
            Component(depth + 1);
        FOut += Take(1);
    }

    const QByteArray& FIn;
    qsizetype FPos;
    TReportRepair FRepair;
    TRepairedStream& FResult;
    QByteArray FOut;
};

} // namespace

TRepairedStream RepairReportResource(const QByteArray& fileBytes, TReportRepair repair)
{
    TMemoryStream in(fileBytes);
    ReadResHeader(in);
    const qsizetype start = qsizetype(in.Position());
    TRepairedStream result;
    TStreamRepairer repairer(fileBytes, start, repair, result);
    repairer.Run();

    TMemoryStream out;
    out.WriteBuffer(fileBytes.constData(), start);
    const QByteArray body = repairer.Out();
    out.WriteBuffer(body.constData(), body.size());
    // The stored size is not checked by readers; keep it truthful all the same.
    if (start >= 10) {
        const quint32 size = quint32(body.size());
        std::memcpy(out.Bytes().data() + start - 4, &size, 4);
    }
    result.Resource = out.Bytes();
    return result;
}

} // namespace tessiv
