#include "OpenFiles.h"

#include "engine/run/KVStream.h"
#include "platform/core/Exceptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace tessiv;

namespace {

QByteArray Pattern(int size, int salt = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 7 + salt) % 251);
    return bytes;
}

QByteArray ReadAll(TStream& stream)
{
    stream.SetPosition(0);
    return stream.ReadBytes(stream.Size());
}

} // namespace

TEST(KVStream, MovesToATemporaryFileWhenItGrowsPastItsLimit)
{
    TKVStream stream(KVPageStreamMemoryLimit);
    stream.WriteBytes(Pattern(99999));
    EXPECT_TRUE(stream.InMemory());
    EXPECT_TRUE(stream.TempFileName().isEmpty());

    const QByteArray tail = Pattern(2, 5);
    stream.WriteBytes(tail); // 99 999 -> 100 001 in one write
    ASSERT_FALSE(stream.InMemory());
    const QString temp = stream.TempFileName();
    const QFileInfo info(temp);
    EXPECT_TRUE(info.fileName().startsWith(QStringLiteral("KVP")));
    EXPECT_EQ(info.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
    // Its name is gone as soon as it is open: a killed program leaves nothing there. The open
    // file holds the data.
    EXPECT_FALSE(info.exists());
    const QString open = openfiles::OpenButRemoved(temp);
    ASSERT_FALSE(open.isEmpty());
    EXPECT_EQ(QFileInfo(open).size(), 100001);

    // The write that grew it ended at the end of the data, and so does the position.
    EXPECT_EQ(stream.Position(), 100001);
    EXPECT_EQ(stream.Size(), 100001);
    EXPECT_EQ(ReadAll(stream), Pattern(99999) + tail);
    stream.Seek(-3, soEnd);
    EXPECT_EQ(stream.ReadBytes(3), Pattern(99999).right(1) + tail);
    stream.Seek(12345, soBeginning);
    EXPECT_EQ(stream.ReadBytes(10), Pattern(99999).mid(12345, 10));

    // Writing goes on in the file, overwriting or appending.
    stream.Seek(0, soBeginning);
    stream.WriteBytes("XY");
    stream.Seek(0, soEnd);
    stream.WriteBytes("Z");
    EXPECT_EQ(ReadAll(stream), "XY" + Pattern(99999).mid(2) + tail + "Z");
}

TEST(KVStream, StaysInMemoryUpToItsLimit)
{
    TKVStream stream(KVPageStreamMemoryLimit);
    stream.WriteBytes(Pattern(100000));
    EXPECT_TRUE(stream.InMemory());
    // Overwriting inside the data is no growth.
    stream.SetPosition(50);
    stream.WriteBytes(Pattern(1000));
    EXPECT_TRUE(stream.InMemory());
    stream.Seek(0, soEnd);
    stream.WriteBytes("!");
    EXPECT_FALSE(stream.InMemory());
}

TEST(KVStream, FreeingClosesItsTemporaryFile)
{
    QString temp;
    {
        TKVStream stream(1000);
        stream.WriteBytes(Pattern(5000));
        temp = stream.TempFileName();
        ASSERT_FALSE(openfiles::OpenButRemoved(temp).isEmpty());
    }
    EXPECT_TRUE(openfiles::OpenButRemoved(temp).isEmpty());
    EXPECT_FALSE(QFile::exists(temp));
}

TEST(KVStream, AnOpenedFileIsReadOnlyAndStays)
{
    QTemporaryDir dir;
    const QString name = dir.filePath(QStringLiteral("opened.VKR"));
    {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(Pattern(30000));
    }
    {
        auto stream = TKVStream::CreateFromFile(name);
        EXPECT_FALSE(stream->InMemory());
        EXPECT_TRUE(stream->TempFileName().isEmpty());
        EXPECT_EQ(ReadAll(*stream), Pattern(30000));
        stream->SetPosition(0);
        EXPECT_EQ(stream->Write("zz", 2), 0);
    }
    EXPECT_TRUE(QFile::exists(name));
    EXPECT_THROW(TKVStream::CreateFromFile(dir.filePath(QStringLiteral("missing.VKR"))), EFOpenError);

    // Only a regular file is read: a named pipe would block the program on its first read, and a
    // folder or a device is no saved preview either.
    const QString pipe = dir.filePath(QStringLiteral("x.VKR"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QDir(dir.path()).mkdir(QStringLiteral("pasta.VKR"));
    for (const QString& name : {pipe, dir.filePath(QStringLiteral("pasta.VKR")), QStringLiteral("/dev/zero")}) {
        try {
            TKVStream::CreateFromFile(name);
            ADD_FAILURE() << name.toStdString();
        } catch (const EFOpenError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file \"%1\". It is not a regular file").arg(name));
        }
    }
}

TEST(KVStream, SaveToStreamCopiesEverythingFromTheStart)
{
    for (const int size : {0, 10, 10240, 10241, 250000}) {
        TKVStream stream(100000);
        stream.WriteBytes(Pattern(size, size));
        stream.SetPosition(size / 2); // wherever the last operation left it
        TMemoryStream copy;
        stream.SaveToStream(copy);
        EXPECT_EQ(copy.Bytes(), Pattern(size, size)) << size;
    }
}

TEST(KVStream, NewTempFileNameCreatesAnEmptyFile)
{
    const QString a = NewTempFileName();
    const QString b = NewTempFileName();
    EXPECT_NE(a, b);
    EXPECT_TRUE(QFileInfo(a).fileName().startsWith(QStringLiteral("KVP")));
    EXPECT_TRUE(QFile::exists(a));
    EXPECT_EQ(QFileInfo(a).size(), 0);
    QFile::remove(a);
    QFile::remove(b);
}
