#include "EmfBuilder.h"
#include "OpenFiles.h"

#include "engine/run/KVError.h"
#include "engine/run/KVPageList.h"
#include "platform/core/Exceptions.h"
#include "platform/core/SysUtils.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QRegularExpression>
#include <QtEndian>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstring>
#include <functional>
#include <thread>

#include <sys/resource.h>

using namespace tessiv;
using fixtures::MakePage;

namespace {

QByteArray ReadFile(const QString& name)
{
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

void WriteFile(const QString& name, const QByteArray& bytes)
{
    QFile file(name);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

std::uint32_t U32(const QByteArray& bytes, int at)
{
    return qFromLittleEndian<std::uint32_t>(bytes.constData() + at);
}

void SetU32(QByteArray& bytes, int at, std::uint32_t value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void Record(TKVPageList& list, int pages, bool compressed, int firstPage = 1)
{
    list.SetCompression(compressed);
    list.BeginRecording();
    for (int n = firstPage; n < firstPage + pages; ++n)
        list.AddPage(MakePage(n));
    list.Finish();
}

class PageListTest : public ::testing::Test {
protected:
    QString Path(const char* name) const { return FDir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir FDir;
};

} // namespace

TEST_F(PageListTest, ARunWithoutPagesSavesAHeaderOnly)
{
    TKVPageList list;
    list.BeginRecording();
    list.Finish();
    list.SaveToFile(Path("empty.VKR"));
    const QByteArray file = ReadFile(Path("empty.VKR"));
    ASSERT_EQ(file.size(), 128);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(file.constData()), 3);
    EXPECT_EQ(qFromLittleEndian<std::uint16_t>(file.constData() + 2), 212);
    EXPECT_EQ(U32(file, 8), 0u);

    TKVPageList loaded;
    loaded.LoadFromFile(Path("empty.VKR"));
    EXPECT_EQ(loaded.PageCount(), 0);
    EXPECT_FALSE(loaded.GetPageData(1));
}

TEST_F(PageListTest, OnePageFileLayout)
{
    for (const bool compressed : {false, true}) {
        TKVPageList list;
        const double before = Now();
        Record(list, 1, compressed);
        list.SaveToFile(Path("one.VKR"));
        const QByteArray file = ReadFile(Path("one.VKR"));
        ASSERT_GT(file.size(), 140);
        EXPECT_EQ(U32(file, 8), 1u);
        EXPECT_EQ(file[25], compressed ? 1 : 0);
        double stamp;
        std::memcpy(&stamp, file.constData() + 16, 8);
        EXPECT_GE(stamp, before - 1.0 / 86400);
        EXPECT_LE(stamp, Now() + 1.0 / 86400);
        // The record at 128: page 1, linked to the end of the file, which ends with its start.
        EXPECT_EQ(U32(file, 128), 1u);
        EXPECT_EQ(U32(file, 132), static_cast<std::uint32_t>(file.size()));
        EXPECT_EQ(U32(file, file.size() - 4), 128u);
        const QByteArray page = MakePage(1);
        if (compressed) {
            EXPECT_EQ(U32(file, 136), static_cast<std::uint32_t>(page.size()));
            EXPECT_LT(file.size(), 128 + 12 + page.size());
        } else {
            EXPECT_EQ(file.mid(136, page.size()), page);
            EXPECT_EQ(file.size(), 128 + 12 + page.size());
        }
    }
}

TEST_F(PageListTest, PagesComeBackInAnyOrder)
{
    TKVPageList list;
    Record(list, 5, false);
    for (const int n : {3, 4, 2, 5, 1, 1, 5, 3})
        EXPECT_EQ(list.GetPageData(n).value(), MakePage(n)) << n;
    for (const int n : {0, -1, 6, 1000})
        EXPECT_FALSE(list.GetPageData(n)) << n;
}

class RecordedDocument : public PageListTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RecordedDocument, FiveHundredPagesSpillToATemporaryFileAndSurviveSaveAndLoad)
{
    const bool compressed = GetParam();
    QString temp;
    {
        TKVPageList list;
        list.SetCompression(compressed);
        list.BeginRecording();
        for (int n = 1; n <= 500; ++n) {
            list.AddPage(MakePage(n));
            // A reader may fetch pages already finished while the run goes on.
            if (n % 97 == 0) {
                EXPECT_EQ(list.GetPageData(n / 2).value(), MakePage(n / 2));
            }
        }
        list.Finish();
        ASSERT_EQ(list.PageCount(), 500);
        ASSERT_FALSE(list.Stream()->InMemory());
        temp = list.Stream()->TempFileName();
        EXPECT_TRUE(QFileInfo(temp).fileName().startsWith(QStringLiteral("KVP")));
        EXPECT_FALSE(QFile::exists(temp)); // only the open file holds the pages
        const QString open = openfiles::OpenButRemoved(temp);
        ASSERT_FALSE(open.isEmpty());

        list.SaveToFile(Path("doc.VKR"));
        EXPECT_EQ(ReadFile(Path("doc.VKR")), ReadFile(open));
        EXPECT_EQ(U32(ReadFile(Path("doc.VKR")), 8), 500u);

        TKVPageList loaded;
        loaded.LoadFromFile(Path("doc.VKR"));
        ASSERT_EQ(loaded.PageCount(), 500);
        EXPECT_EQ(loaded.Compression(), compressed);
        for (int n = 1; n <= 500; ++n)
            ASSERT_EQ(loaded.GetPageData(n).value(), MakePage(n)) << n;
        // And backwards, the way a preview pages back.
        for (int n = 500; n >= 1; n -= 7)
            ASSERT_EQ(loaded.GetPageData(n).value(), MakePage(n)) << n;

        list.Clear();
        EXPECT_EQ(list.PageCount(), 0);
        EXPECT_EQ(list.Stream(), nullptr);
        EXPECT_TRUE(openfiles::OpenButRemoved(temp).isEmpty());
        // The loaded file is the user's: dropping its pages leaves it.
        loaded.Clear();
        EXPECT_TRUE(QFile::exists(Path("doc.VKR")));
    }
    EXPECT_FALSE(QFile::exists(temp));
}

INSTANTIATE_TEST_SUITE_P(PageList, RecordedDocument, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Compressed" : "Plain"; });

TEST_F(PageListTest, FreeingTheListClosesItsTemporaryFile)
{
    QString temp;
    {
        TKVPageList list;
        Record(list, 300, false);
        temp = list.Stream()->TempFileName();
        ASSERT_FALSE(openfiles::OpenButRemoved(temp).isEmpty());
    }
    EXPECT_TRUE(openfiles::OpenButRemoved(temp).isEmpty());
}

TEST_F(PageListTest, ASaveThatFailsNamesTheFileAndTheCauseAndKeepsTheOldFile)
{
    TKVPageList list;
    Record(list, 40, false);
    WriteFile(Path("cheio.VKR"), "previous contents");
    {
        // Files of this process may not grow past 64 bytes, as on a full disk.
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        const auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit = old;
        limit.rlim_cur = 64;
        ::setrlimit(RLIMIT_FSIZE, &limit);
        QString message;
        try {
            list.SaveToFile(Path("cheio.VKR"));
        } catch (const EWriteError& e) {
            message = e.Message();
        }
        ::setrlimit(RLIMIT_FSIZE, &old);
        std::signal(SIGXFSZ, oldSignal);
        EXPECT_EQ(message, QStringLiteral("Cannot write \"%1\": %2")
                               .arg(Path("cheio.VKR"), QString::fromLocal8Bit(std::strerror(EFBIG))));
    }
    EXPECT_EQ(ReadFile(Path("cheio.VKR")), QByteArray("previous contents"));
}

TEST_F(PageListTest, SavedLoadedAndSavedAgainIsIdentical)
{
    for (const bool compressed : {false, true}) {
        TKVPageList list;
        Record(list, 40, compressed);
        list.SaveToFile(Path("first.VKR"));
        TKVPageList loaded;
        loaded.LoadFromFile(Path("first.VKR"));
        loaded.SaveToFile(Path("second.VKR"));
        EXPECT_EQ(ReadFile(Path("first.VKR")), ReadFile(Path("second.VKR")));
    }
}

TEST_F(PageListTest, ALoadedPreviewSavesUnderItsOwnName)
{
    TKVPageList list;
    Record(list, 60, true);
    list.SaveToFile(Path("own.VKR"));
    const QByteArray before = ReadFile(Path("own.VKR"));

    TKVPageList loaded;
    loaded.LoadFromFile(Path("own.VKR"));
    loaded.SaveToFile(Path("own.VKR"));
    EXPECT_EQ(ReadFile(Path("own.VKR")), before);
    // The pages still read after their file was replaced under them.
    for (int n = 1; n <= 60; n += 11)
        EXPECT_EQ(loaded.GetPageData(n).value(), MakePage(n));
    loaded.Clear();
    loaded.LoadFromFile(Path("own.VKR"));
    EXPECT_EQ(loaded.PageCount(), 60);
}

TEST_F(PageListTest, LoadAndSaveAreRefusedWhileRecording)
{
    TKVPageList done;
    Record(done, 2, false);
    done.SaveToFile(Path("done.VKR"));

    TKVPageList list;
    list.BeginRecording();
    list.AddPage(MakePage(1));
    EXPECT_THROW(list.SaveToFile(Path("during.VKR")), EKVError);
    EXPECT_FALSE(QFile::exists(Path("during.VKR")));
    EXPECT_THROW(list.LoadFromFile(Path("done.VKR")), EKVError);
    EXPECT_TRUE(list.Recording());
    EXPECT_EQ(list.PageCount(), 1);
    list.AddPage(MakePage(2));
    list.Finish();
    EXPECT_FALSE(list.Recording());
    list.SaveToFile(Path("after.VKR"));
    EXPECT_EQ(U32(ReadFile(Path("after.VKR")), 8), 2u);
}

TEST_F(PageListTest, PagesAreTakenOnlyWhileRecordingAndOnlyAsMetafiles)
{
    TKVPageList list;
    EXPECT_THROW(list.AddPage(MakePage(1)), EKVError);
    EXPECT_THROW(list.SaveToFile(Path("nothing.VKR")), EKVError);
    list.BeginRecording();

    const QByteArray page = MakePage(1);
    QByteArray wrongLength = page;
    SetU32(wrongLength, 48, page.size() + 4);
    QByteArray noEof = page.left(page.size() - 20);
    SetU32(noEof, 48, noEof.size());
    QByteArray brokenChain = page;
    SetU32(brokenChain, 108 + 4, 1000000); // the first record after the header
    const QByteArray cases[] = {QByteArray(), QByteArray(200, 'x'), page.left(87), wrongLength, noEof, brokenChain};
    for (const auto& bad : cases)
        EXPECT_THROW(list.AddPage(bad), EKVError);
    EXPECT_EQ(list.PageCount(), 0);
    list.AddPage(page);
    EXPECT_EQ(list.GetPageData(1).value(), page);
}

TEST_F(PageListTest, CompressionIsOneFlagForAllPages)
{
    TKVPageList list;
    list.SetCompression(true);
    list.BeginRecording();
    list.AddPage(MakePage(1));
    EXPECT_THROW(list.SetCompression(false), EKVError);
    EXPECT_TRUE(list.Compression());
    list.Clear();
    list.SetCompression(false);
    EXPECT_FALSE(list.Compression());
}

TEST_F(PageListTest, ReadersAndTheRecordingRunShareTheList)
{
    TKVPageList list;
    list.SetCompression(true);
    list.BeginRecording();
    std::atomic<bool> done = false;
    std::atomic<int> mismatches = 0;
    std::thread reader([&] {
        while (!done) {
            const int count = list.PageCount();
            if (count > 0) {
                const int n = 1 + (count * 7) % count;
                const auto page = list.GetPageData(n);
                if (!page || *page != MakePage(n))
                    ++mismatches;
            }
        }
    });
    for (int n = 1; n <= 200; ++n)
        list.AddPage(MakePage(n));
    done = true;
    reader.join();
    list.Finish();
    EXPECT_EQ(mismatches, 0);
}

// ---- damaged files ----

namespace {

struct DamageCase {
    const char* Name;
    const char* Reason; // what the error says is wrong
    bool Compressed;
    std::function<void(QByteArray&)> Damage;
};

// Offsets in a three-page file.
int Page2(const QByteArray& f)
{
    return static_cast<int>(U32(f, 132));
}

const DamageCase DamageCases[] = {
    {"empty file", "shorter than its header", false, [](QByteArray& f) { f.clear(); }},
    {"shorter than the header", "shorter than its header", false, [](QByteArray& f) { f.truncate(100); }},
    {"header only", "page count 3 does not fit", false, [](QByteArray& f) { f.truncate(128); }},
    {"one byte short", "record of page 3 has an impossible length", false, [](QByteArray& f) { f.chop(1); }},
    {"one byte short, coded", "record of page 3 has an impossible length", true, [](QByteArray& f) { f.chop(1); }},
    {"cut inside the second page", "record of page 2 lies outside the file", false, [](QByteArray& f) { f.truncate(Page2(f) + 50); }},
    {"cut inside the second page, coded", "record of page 2 has an impossible length", true, [](QByteArray& f) { f.truncate(Page2(f) + 50); }},
    {"bytes after the last page", "bytes after the last page", false, [](QByteArray& f) { f.append("junk"); }},
    {"wrong first signature word", "signature is wrong", false, [](QByteArray& f) { f[0] = 4; }},
    {"wrong second signature word", "signature is wrong", false, [](QByteArray& f) { f[2] = static_cast<char>(213); }},
    {"text file", "signature is wrong", false, [](QByteArray& f) { f = QByteArray("Tessiv preview\n").repeated(20); }},
    {"unknown compression flag", "compression flag is 7", false, [](QByteArray& f) { f[25] = 7; }},
    {"compression flag cleared on coded pages", "page 1 is not an enhanced metafile", true, [](QByteArray& f) { f[25] = 0; }},
    {"compression flag set on plain pages", "page 1 has an impossible length", false, [](QByteArray& f) { f[25] = 1; }},
    {"negative page count", "page count -1 does not fit", false, [](QByteArray& f) { SetU32(f, 8, 0xFFFFFFFF); }},
    {"page count far beyond the file", "page count 2147483647 does not fit", false, [](QByteArray& f) { SetU32(f, 8, 0x7FFFFFFF); }},
    {"page count one beyond the pages", "record of page 4 lies outside the file", false, [](QByteArray& f) { SetU32(f, 8, 4); }},
    {"page count one beyond the pages, coded", "record of page 4 lies outside the file", true, [](QByteArray& f) { SetU32(f, 8, 4); }},
    {"page count short of the pages", "bytes after the last page", false, [](QByteArray& f) { SetU32(f, 8, 2); }},
    {"page count zero with pages", "bytes after the last page", false, [](QByteArray& f) { SetU32(f, 8, 0); }},
    {"first page numbered 2", "page 1 is numbered 2", false, [](QByteArray& f) { SetU32(f, 128, 2); }},
    {"second page numbered 1", "page 2 is numbered 1", false, [](QByteArray& f) { SetU32(f, Page2(f), 1); }},
    {"next offset beyond the file", "record of page 1 has an impossible length", false, [](QByteArray& f) { SetU32(f, 132, 0xFFFFFFF0); }},
    {"next offset inside its own record", "record of page 1 has an impossible length", false, [](QByteArray& f) { SetU32(f, 132, 140); }},
    {"next offset zero", "record of page 1 has an impossible length", false, [](QByteArray& f) { SetU32(f, 132, 0); }},
    {"next offset into the next page", "record of page 1 does not end where it says", false, [](QByteArray& f) { SetU32(f, 132, Page2(f) + 8); }},
    {"next offset of the last page short of the end", "record of page 3 does not end where it says", false,
     [](QByteArray& f) { SetU32(f, static_cast<int>(U32(f, f.size() - 4)) + 4, f.size() - 8); }},
    {"trailing start offset wrong", "record of page 1 does not end where it says", false, [](QByteArray& f) { SetU32(f, Page2(f) - 4, 129); }},
    {"last trailing start offset wrong", "record of page 3 does not end where it says", false, [](QByteArray& f) { SetU32(f, f.size() - 4, 0); }},
    {"metafile length wrong", "page 1 is not an enhanced metafile", false, [](QByteArray& f) { SetU32(f, 136 + 48, U32(f, 136 + 48) + 4); }},
    {"metafile signature wrong", "page 1 is not an enhanced metafile", false, [](QByteArray& f) { f[136 + 40] = 'X'; }},
    {"metafile record size huge", "page 1 is not an enhanced metafile", false, [](QByteArray& f) { SetU32(f, 136 + 108 + 4, 0x7FFFFFF0); }},
    {"metafile record size zero", "page 1 is not an enhanced metafile", false, [](QByteArray& f) { SetU32(f, 136 + 108 + 4, 0); }},
    {"coded length huge", "page 1 has an impossible length", true, [](QByteArray& f) { SetU32(f, 136, 0xFFFFFFFF); }},
    {"coded length zero", "page 1 has an impossible length", true, [](QByteArray& f) { SetU32(f, 136, 0); }},
    {"coded length one more", "page 1 is not an enhanced metafile", true, [](QByteArray& f) { SetU32(f, 136, U32(f, 136) + 1); }},
    {"coded length one less", "page 1 is not an enhanced metafile", true, [](QByteArray& f) { SetU32(f, 136, U32(f, 136) - 1); }},
    {"coded bytes changed", "compressed data of page 2 is damaged", true,
     [](QByteArray& f) {
         for (int i = 0; i < 16; ++i)
             f[Page2(f) + 40 + i] = static_cast<char>(f[Page2(f) + 40 + i] ^ 0x5A);
     }},
    {"coded header bytes changed", "compressed data of page 1 is damaged", true, [](QByteArray& f) { f[140] = static_cast<char>(f[140] ^ 0x01); }},
};

class DamagedFile : public PageListTest, public ::testing::WithParamInterface<DamageCase> {};

} // namespace

TEST_P(DamagedFile, IsRefusedAndNothingIsLoaded)
{
    const DamageCase& c = GetParam();
    {
        TKVPageList list;
        Record(list, 3, c.Compressed);
        list.SaveToFile(Path("good.VKR"));
    }
    QByteArray bytes = ReadFile(Path("good.VKR"));
    c.Damage(bytes);
    WriteFile(Path("bad.VKR"), bytes);

    // What the list holds before the refused load stays.
    TKVPageList other;
    Record(other, 2, false, 10);
    other.SaveToFile(Path("other.VKR"));
    TKVPageList list;
    list.LoadFromFile(Path("other.VKR"));

    try {
        list.LoadFromFile(Path("bad.VKR"));
        FAIL() << c.Name << ": loaded";
    } catch (const EKVError& e) {
        EXPECT_TRUE(e.Message().contains(QStringLiteral("bad.VKR"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QStringLiteral("not a valid saved preview file"))) << e.what();
        EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.Reason))) << e.what();
    }
    EXPECT_EQ(list.PageCount(), 2);
    EXPECT_FALSE(list.Compression());
    EXPECT_EQ(list.GetPageData(1).value(), MakePage(10));
    EXPECT_EQ(list.GetPageData(2).value(), MakePage(11));
    // The damaged file itself is left as it was.
    EXPECT_EQ(ReadFile(Path("bad.VKR")), bytes);
}

INSTANTIATE_TEST_SUITE_P(PageList, DamagedFile, ::testing::ValuesIn(DamageCases), [](const auto& info) {
    QString name = QString::fromUtf8(info.param.Name);
    name.replace(QRegularExpression(QStringLiteral("[^A-Za-z0-9]+")), QStringLiteral("_"));
    return name.toStdString();
});

TEST_F(PageListTest, AMissingFileRaisesTheFileError)
{
    TKVPageList list;
    EXPECT_THROW(list.LoadFromFile(Path("missing.VKR")), EFOpenError);
    EXPECT_EQ(list.PageCount(), 0);
}

TEST_F(PageListTest, ASaveThatCannotBeWrittenLeavesTheOldFile)
{
    TKVPageList list;
    Record(list, 3, false);
    EXPECT_THROW(list.SaveToFile(Path("no/such/folder/x.VKR")), EFCreateError);
    WriteFile(Path("keep.VKR"), "old contents");
    const auto writable = QFile::permissions(FDir.path());
    QFile::setPermissions(FDir.path(), QFile::ReadOwner | QFile::ExeOwner);
    QFile probe(Path("probe"));
    const bool folderLocked = !probe.open(QIODevice::WriteOnly);
    if (folderLocked) {
        EXPECT_ANY_THROW(list.SaveToFile(Path("keep.VKR")));
    }
    probe.remove();
    QFile::setPermissions(FDir.path(), writable);
    EXPECT_EQ(ReadFile(Path("keep.VKR")), "old contents");
    if (!folderLocked)
        GTEST_SKIP() << "running as a user whom folder permissions do not stop";
}
