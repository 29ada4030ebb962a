#include "platform/core/Strings.h"

#include "platform/core/Component.h"
#include "platform/core/Cp1252.h"
#include "platform/core/Exceptions.h"
#include "platform/core/FileSave.h"
#include "platform/core/Reader.h"
#include "platform/core/Streams.h"
#include "platform/core/SysUtils.h"
#include "platform/core/Writer.h"

#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <exception>
#include <utility>

namespace tessiv {

QStringList SplitLines(const QString& text)
{
    QStringList lines;
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n) {
        const qsizetype start = i;
        while (i < n && text[i] != QLatin1Char('\r') && text[i] != QLatin1Char('\n'))
            ++i;
        lines.push_back(text.mid(start, i - start));
        if (i < n && text[i] == QLatin1Char('\r'))
            ++i;
        if (i < n && text[i] == QLatin1Char('\n'))
            ++i;
    }
    return lines;
}

TESSIV_IMPLEMENT_CLASS(TStrings, TPersistent)
TESSIV_IMPLEMENT_CLASS(TStringList, TStrings)

namespace {

const QByteArray kUtf8Bom("\xEF\xBB\xBF", 3);
const QString kLineBreak = QStringLiteral("\r\n");

// Keeps a list in BeginUpdate for a scope. A change handler that throws while another exception is
// already on its way out is dropped rather than ending the program.
// The case-sensitive order: the case-insensitive collation first; between lines that differ only
// in case, lower case sorts first, as Windows does.
int CompareCaseSensitive(const QString& a, const QString& b)
{
    if (const int c = AnsiCompareText(a, b); c != 0)
        return c;
    const qsizetype n = std::min(a.size(), b.size());
    for (qsizetype i = 0; i < n; ++i) {
        const QChar ca = a[i];
        const QChar cb = b[i];
        if (ca == cb)
            continue;
        if (ca.isLower() && cb.isUpper())
            return -1;
        if (ca.isUpper() && cb.isLower())
            return 1;
        return ca.unicode() < cb.unicode() ? -1 : 1;
    }
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

QString Quoted(const QString& s, QChar quote)
{
    QString result;
    result.reserve(s.size() + 2);
    result += quote;
    for (const QChar c : s) {
        result += c;
        if (c == quote)
            result += quote;
    }
    result += quote;
    return result;
}

} // namespace

// ---- TStrings -----------------------------------------------------------------------------

void TStrings::IndexError(int index)
{
    throw EStringListError(QStringLiteral("List index out of bounds (%1)").arg(index));
}

int TStrings::CompareStrings(const QString& a, const QString& b) const
{
    return AnsiCompareText(a, b);
}

void TStrings::Changing()
{
    if (FUpdateCount > 0) {
        if (FChangingSent)
            return;
        FChangingSent = true;
    }
    if (OnChanging)
        OnChanging(this);
}

void TStrings::Changed()
{
    if (FUpdateCount > 0) {
        FChangedInUpdate = true;
        return;
    }
    if (OnChange)
        OnChange(this);
}

void TStrings::BeginUpdate()
{
    if (FUpdateCount++ == 0) {
        FChangingSent = false;
        FChangedInUpdate = false;
        SetUpdateState(true);
    }
}

void TStrings::EndUpdate()
{
    if (FUpdateCount == 0 || --FUpdateCount > 0)
        return;
    const bool changed = FChangedInUpdate;
    FChangingSent = false;
    FChangedInUpdate = false;
    SetUpdateState(false);
    if (changed && OnChange)
        OnChange(this);
}

void TStrings::Put(int index, const QString& s)
{
    TUpdateScope update(*this);
    TPersistent* object = Objects(index);
    Delete(index);
    InsertObject(index, s, object);
}

TPersistent* TStrings::Objects(int index) const
{
    return nullptr;
}

void TStrings::PutObject(int index, TPersistent* object)
{
}

int TStrings::Add(const QString& s)
{
    const int index = Count();
    Insert(index, s);
    return index;
}

int TStrings::AddObject(const QString& s, TPersistent* object)
{
    const int index = Add(s);
    PutObject(index, object);
    return index;
}

void TStrings::InsertObject(int index, const QString& s, TPersistent* object)
{
    Insert(index, s);
    PutObject(index, object);
}

void TStrings::AddStrings(const TStrings* strings)
{
    if (!strings)
        return;
    // Copied first: the source may be this list, and a sorted one moves lines as they are added.
    std::vector<std::pair<QString, TPersistent*>> lines;
    lines.reserve(strings->Count());
    for (int i = 0; i < strings->Count(); ++i)
        lines.emplace_back(strings->Strings(i), strings->Objects(i));
    TUpdateScope update(*this);
    for (const auto& [s, object] : lines)
        AddObject(s, object);
}

void TStrings::AddStrings(const QStringList& strings)
{
    TUpdateScope update(*this);
    for (const QString& s : strings)
        Add(s);
}

void TStrings::Exchange(int index1, int index2)
{
    TUpdateScope update(*this);
    const QString s1 = Strings(index1);
    TPersistent* o1 = Objects(index1);
    const QString s2 = Strings(index2);
    TPersistent* o2 = Objects(index2);
    Put(index1, s2);
    PutObject(index1, o2);
    Put(index2, s1);
    PutObject(index2, o1);
}

void TStrings::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    TUpdateScope update(*this);
    const QString s = Strings(curIndex);
    TPersistent* object = Objects(curIndex);
    Delete(curIndex);
    InsertObject(newIndex, s, object);
}

int TStrings::IndexOf(const QString& s) const
{
    for (int i = 0; i < Count(); ++i)
        if (CompareStrings(Strings(i), s) == 0)
            return i;
    return -1;
}

int TStrings::IndexOfName(const QString& name) const
{
    for (int i = 0; i < Count(); ++i) {
        const QString s = Strings(i);
        const qsizetype p = s.indexOf(FNameValueSeparator);
        if (p >= 0 && CompareStrings(s.left(p), name) == 0)
            return i;
    }
    return -1;
}

int TStrings::IndexOfObject(const TPersistent* object) const
{
    for (int i = 0; i < Count(); ++i)
        if (Objects(i) == object)
            return i;
    return -1;
}

bool TStrings::Equals(const TStrings* strings) const
{
    if (!strings)
        return false;
    if (strings == this)
        return true;
    if (Count() != strings->Count())
        return false;
    for (int i = 0; i < Count(); ++i)
        if (Strings(i) != strings->Strings(i))
            return false;
    return true;
}

QStringList TStrings::ToStringList() const
{
    QStringList list;
    list.reserve(Count());
    for (int i = 0; i < Count(); ++i)
        list.append(Strings(i));
    return list;
}

QString TStrings::Text() const
{
    QString text;
    for (int i = 0; i < Count(); ++i) {
        text += Strings(i);
        text += kLineBreak;
    }
    return text;
}

void TStrings::SetText(const QString& text)
{
    TUpdateScope update(*this);
    Clear();
    for (const QString& line : SplitLines(text))
        Add(line);
}

QString TStrings::JoinDelimited(QChar delimiter, QChar quote) const
{
    const int n = Count();
    // A single empty line must not read back as no lines at all.
    if (n == 1 && Strings(0).isEmpty())
        return QString(quote) + quote;
    QString result;
    for (int i = 0; i < n; ++i) {
        const QString s = Strings(i);
        const bool needsQuotes = std::any_of(s.begin(), s.end(), [&](QChar c) {
            return c.unicode() <= ' ' || c == quote || c == delimiter;
        });
        if (i > 0)
            result += delimiter;
        result += needsQuotes ? Quoted(s, quote) : s;
    }
    return result;
}

void TStrings::SplitDelimited(const QString& text, QChar delimiter, QChar quote)
{
    const auto blank = [](QChar c) { return c.unicode() <= ' '; };
    TUpdateScope update(*this);
    Clear();
    const qsizetype n = text.size();
    qsizetype i = 0;
    while (i < n && blank(text[i]))
        ++i;
    while (i < n) {
        QString s;
        if (text[i] == quote) {
            // Up to the closing quote, a doubled quote standing for one; an unclosed quote takes
            // the rest of the text.
            ++i;
            while (i < n) {
                if (text[i] != quote) {
                    s += text[i++];
                } else if (i + 1 < n && text[i + 1] == quote) {
                    s += quote;
                    i += 2;
                } else {
                    ++i;
                    break;
                }
            }
        } else {
            const qsizetype start = i;
            while (i < n && !blank(text[i]) && text[i] != delimiter)
                ++i;
            s = text.mid(start, i - start);
        }
        Add(s);
        while (i < n && blank(text[i]))
            ++i;
        if (i < n && text[i] == delimiter) {
            // A delimiter that ends the text stands before one more, empty, line.
            if (i + 1 == n)
                Add(QString());
            do
                ++i;
            while (i < n && blank(text[i]));
        }
    }
}

QString TStrings::CommaText() const
{
    return JoinDelimited(QLatin1Char(','), QLatin1Char('"'));
}

void TStrings::SetCommaText(const QString& text)
{
    SplitDelimited(text, QLatin1Char(','), QLatin1Char('"'));
}

QString TStrings::DelimitedText() const
{
    return JoinDelimited(FDelimiter, FQuoteChar);
}

void TStrings::SetDelimitedText(const QString& text)
{
    SplitDelimited(text, FDelimiter, FQuoteChar);
}

QString TStrings::Names(int index) const
{
    const QString s = Strings(index);
    const qsizetype p = s.indexOf(FNameValueSeparator);
    return p >= 0 ? s.left(p) : QString();
}

QString TStrings::Values(const QString& name) const
{
    const int index = IndexOfName(name);
    return index >= 0 ? ValueFromIndex(index) : QString();
}

void TStrings::SetValue(const QString& name, const QString& value)
{
    const int index = IndexOfName(name);
    if (!value.isEmpty()) {
        const QString line = name + FNameValueSeparator + value;
        if (index < 0)
            Add(line);
        else
            Put(index, line);
    } else if (index >= 0) {
        Delete(index);
    }
}

QString TStrings::ValueFromIndex(int index) const
{
    if (index < 0)
        return QString();
    const QString s = Strings(index);
    const qsizetype p = s.indexOf(FNameValueSeparator);
    return p >= 0 ? s.mid(p + 1) : QString();
}

void TStrings::SetValueFromIndex(int index, const QString& value)
{
    if (!value.isEmpty()) {
        if (index < 0)
            Add(FNameValueSeparator + value);
        else
            Put(index, Names(index) + FNameValueSeparator + value);
    } else if (index >= 0) {
        Delete(index);
    }
}

// ---- files and streams ----

void TStrings::LoadFromBytes(const QByteArray& bytes, const TTextEncoding* encoding)
{
    if (bytes.startsWith(kUtf8Bom))
        SetText(QString::fromUtf8(bytes.constData() + kUtf8Bom.size(), bytes.size() - kUtf8Bom.size()));
    else if (encoding && *encoding == TTextEncoding::Utf8)
        SetText(QString::fromUtf8(bytes));
    else
        SetText(FromCp1252(bytes));
}

QByteArray TStrings::TextBytes(TTextEncoding encoding) const
{
    if (encoding == TTextEncoding::Utf8)
        return kUtf8Bom + Text().toUtf8();
    return ToCp1252(Text());
}

void TStrings::LoadFromStream(TStream& stream)
{
    LoadFromBytes(stream.ReadBytes(stream.Size() - stream.Position()), nullptr);
}

void TStrings::LoadFromStream(TStream& stream, TTextEncoding encoding)
{
    LoadFromBytes(stream.ReadBytes(stream.Size() - stream.Position()), &encoding);
}

void TStrings::SaveToStream(TStream& stream, TTextEncoding encoding) const
{
    stream.WriteBytes(TextBytes(encoding));
}

void TStrings::LoadFromFile(const QString& fileName)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream);
}

void TStrings::LoadFromFile(const QString& fileName, TTextEncoding encoding)
{
    TFileStream stream(fileName, fmOpenRead);
    LoadFromStream(stream, encoding);
}

void TStrings::SaveToFile(const QString& fileName, TTextEncoding encoding) const
{
    const QByteArray bytes = TextBytes(encoding);
    SaveFileWhole(fileName, [&bytes](QIODevice& file) {
        if (file.write(bytes) != bytes.size())
            throw EWriteError(QStringLiteral("Stream write error"));
    }, bytes.size());
}

// ---- TPersistent ----

void TStrings::Assign(const TPersistent* source)
{
    const auto* strings = dynamic_cast<const TStrings*>(source);
    if (!strings) {
        TPersistent::Assign(source);
        return;
    }
    if (strings == this)
        return;
    TUpdateScope update(*this);
    Clear();
    FDelimiter = strings->FDelimiter;
    FQuoteChar = strings->FQuoteChar;
    FNameValueSeparator = strings->FNameValueSeparator;
    AddStrings(strings);
}

void TStrings::AssignTo(TPersistent* dest) const
{
    if (auto* strings = dynamic_cast<TStrings*>(dest))
        strings->Assign(this);
    else
        TPersistent::AssignTo(dest);
}

void TStrings::DefineProperties(TFiler& filer)
{
    filer.DefineProperty(
        QStringLiteral("Strings"), [this](TReader& reader) { ReadData(reader); },
        [this](TWriter& writer) { WriteData(writer); }, Count() > 0);
}

void TStrings::ReadData(TReader& reader)
{
    reader.ReadListBegin();
    {
        TUpdateScope update(*this);
        Clear();
        while (!reader.EndOfList())
            Add(reader.ReadString());
    }
    reader.ReadListEnd();
}

void TStrings::WriteData(TWriter& writer) const
{
    writer.WriteListBegin();
    for (int i = 0; i < Count(); ++i)
        writer.WriteString(Strings(i));
    writer.WriteListEnd();
}

// ---- TStringList --------------------------------------------------------------------------

void TStringList::CheckIndex(int index) const
{
    if (index < 0 || index >= Count())
        IndexError(index);
}

void TStringList::CheckNotSorted() const
{
    if (FSorted)
        throw EStringListError(QStringLiteral("Operation not allowed on sorted list"));
}

int TStringList::CompareStrings(const QString& a, const QString& b) const
{
    return FCaseSensitive ? CompareCaseSensitive(a, b) : AnsiCompareText(a, b);
}

QString TStringList::Strings(int index) const
{
    CheckIndex(index);
    return FList[index].String;
}

void TStringList::Put(int index, const QString& s)
{
    CheckNotSorted();
    CheckIndex(index);
    Changing();
    FList[index].String = s;
    Changed();
}

TPersistent* TStringList::Objects(int index) const
{
    CheckIndex(index);
    return FList[index].Object;
}

void TStringList::PutObject(int index, TPersistent* object)
{
    CheckIndex(index);
    Changing();
    FList[index].Object = object;
    Changed();
}

int TStringList::Add(const QString& s)
{
    return AddObject(s, nullptr);
}

int TStringList::AddObject(const QString& s, TPersistent* object)
{
    int index = Count();
    if (FSorted && Find(s, index)) {
        // An ignored duplicate keeps the line that is there, object and all.
        if (FDuplicates == dupIgnore)
            return index;
        if (FDuplicates == dupError)
            throw EStringListError(QStringLiteral("List does not allow duplicates"));
    }
    InsertItem(index, s, object);
    return index;
}

void TStringList::Insert(int index, const QString& s)
{
    InsertObject(index, s, nullptr);
}

void TStringList::InsertObject(int index, const QString& s, TPersistent* object)
{
    CheckNotSorted();
    if (index < 0 || index > Count())
        IndexError(index);
    InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, const QString& s, TPersistent* object)
{
    Changing();
    FList.insert(FList.begin() + index, TStringItem{s, object});
    Changed();
}

void TStringList::Delete(int index)
{
    CheckIndex(index);
    Changing();
    FList.erase(FList.begin() + index);
    Changed();
}

void TStringList::Clear()
{
    if (FList.empty())
        return;
    Changing();
    FList.clear();
    Changed();
}

void TStringList::Exchange(int index1, int index2)
{
    CheckIndex(index1);
    CheckIndex(index2);
    Changing();
    std::swap(FList[index1], FList[index2]);
    Changed();
}

void TStringList::Move(int curIndex, int newIndex)
{
    if (curIndex == newIndex)
        return;
    // Checked before anything moves, so a refused move loses no line.
    CheckNotSorted();
    CheckIndex(curIndex);
    CheckIndex(newIndex);
    Changing();
    TStringItem item = std::move(FList[curIndex]);
    FList.erase(FList.begin() + curIndex);
    FList.insert(FList.begin() + newIndex, std::move(item));
    Changed();
}

int TStringList::IndexOf(const QString& s) const
{
    if (!FSorted)
        return TStrings::IndexOf(s);
    int index = -1;
    return Find(s, index) ? index : -1;
}

bool TStringList::Find(const QString& s, int& index) const
{
    bool found = false;
    int l = 0;
    int h = Count() - 1;
    while (l <= h) {
        const int i = (l + h) / 2;
        const int c = CompareStrings(FList[i].String, s);
        if (c < 0) {
            l = i + 1;
        } else {
            h = i - 1;
            if (c == 0) {
                found = true;
                if (FDuplicates != dupAccept)
                    l = i;
            }
        }
    }
    index = l;
    return found;
}

void TStringList::Sort()
{
    CustomSort([](TStringList* list, int index1, int index2) {
        return list->CompareStrings(list->FList[index1].String, list->FList[index2].String);
    });
}

void TStringList::CustomSort(const TStringListSortCompare& compare)
{
    if (FSorted || Count() < 2 || !compare)
        return;
    Changing();
    QuickSort(0, Count() - 1, compare);
    Changed();
}

void TStringList::QuickSort(int l, int r, const TStringListSortCompare& compare)
{
    int i = l;
    do {
        i = l;
        int j = r;
        int p = (l + r) / 2;
        do {
            // The bounds only matter for a compare function that contradicts itself.
            while (i < r && compare(this, i, p) < 0)
                ++i;
            while (j > l && compare(this, j, p) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(FList[i], FList[j]);
                if (p == i)
                    p = j;
                else if (p == j)
                    p = i;
                ++i;
                --j;
            }
        } while (i <= j);
        if (l < j)
            QuickSort(l, j, compare);
        l = i;
    } while (i < r);
}

void TStringList::SetSorted(bool value)
{
    if (FSorted == value)
        return;
    if (value)
        Sort();
    FSorted = value;
}

void TStringList::SetCaseSensitive(bool value)
{
    if (FCaseSensitive == value)
        return;
    FCaseSensitive = value;
    if (FSorted) {
        FSorted = false;
        Sort();
        FSorted = true;
    }
}

} // namespace tessiv
