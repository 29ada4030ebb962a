#pragma once
// Lists of strings as the class library has them: the abstract TStrings (names and values, comma
// text, change notification, files) and TStringList, which keeps its own lines and can sort them.
// Each line may carry an object pointer, which the list never owns.

#include "platform/core/Persistent.h"

#include <QByteArray>
#include <QChar>
#include <QString>
#include <QStringList>

#include <exception>
#include <functional>
#include <vector>

namespace tessiv {

class TReader;
class TWriter;
class TStream;
class TStringList;

enum TDuplicates { dupIgnore, dupAccept, dupError };

// How LoadFrom*/SaveTo* encode text. Files written by the original program are cp1252; a file that
// starts with the UTF-8 byte order mark is read as UTF-8 whatever is asked.
enum class TTextEncoding { Cp1252, Utf8 };

class TStrings : public TPersistent {
    TESSIV_CLASS(TStrings, TPersistent)
public:
    TStrings() = default;
    ~TStrings() override = default;

    // ---- what a descendant provides ----
    virtual int Count() const = 0;
    // EStringListError "List index out of bounds (%d)" outside 0..Count-1.
    virtual QString Strings(int index) const = 0;
    virtual void Insert(int index, const QString& s) = 0;
    virtual void Delete(int index) = 0;
    virtual void Clear() = 0;

    // ---- lines and their objects ----
    QString operator[](int index) const { return Strings(index); }
    virtual void Put(int index, const QString& s);
    // Lists that keep no objects answer nullptr and ignore PutObject.
    virtual TPersistent* Objects(int index) const;
    virtual void PutObject(int index, TPersistent* object);
    virtual int Add(const QString& s);
    virtual int AddObject(const QString& s, TPersistent* object);
    void Append(const QString& s) { Add(s); }
    virtual void InsertObject(int index, const QString& s, TPersistent* object);
    virtual void AddStrings(const TStrings* strings);
    void AddStrings(const QStringList& strings);
    virtual void Exchange(int index1, int index2);
    virtual void Move(int curIndex, int newIndex);
    // -1 when absent. Lines compare as CompareStrings does: case-insensitive here.
    virtual int IndexOf(const QString& s) const;
    virtual int IndexOfName(const QString& name) const;
    virtual int IndexOfObject(const TPersistent* object) const;
    // Same count and the same lines, character for character (objects are not compared).
    bool Equals(const TStrings* strings) const;
    QStringList ToStringList() const;

    // ---- whole-list texts ----
    // Each line followed by "\r\n". Setting splits on "\r\n", "\n" or "\r"; a final line break
    // makes no empty last line.
    virtual QString Text() const;
    virtual void SetText(const QString& text);
    // Lines separated by commas; a line with blanks, control characters, commas or quotes is
    // double-quoted with inner quotes doubled. Setting also splits on blanks outside quotes.
    QString CommaText() const;
    void SetCommaText(const QString& text);
    // As CommaText with Delimiter and QuoteChar.
    QString DelimitedText() const;
    void SetDelimitedText(const QString& text);
    QChar Delimiter() const { return FDelimiter; }
    void SetDelimiter(QChar c) { FDelimiter = c; }
    QChar QuoteChar() const { return FQuoteChar; }
    void SetQuoteChar(QChar c) { FQuoteChar = c; }

    // ---- "Name=Value" lines ----
    QChar NameValueSeparator() const { return FNameValueSeparator; }
    void SetNameValueSeparator(QChar c) { FNameValueSeparator = c; }
    // The text before the first separator; "" for a line without one.
    QString Names(int index) const;
    // The text after the separator of the first line whose name matches; "" when there is none.
    QString Values(const QString& name) const;
    // Replaces the line's value, or adds "Name=Value"; an empty value deletes the line.
    void SetValue(const QString& name, const QString& value);
    QString ValueFromIndex(int index) const;
    void SetValueFromIndex(int index, const QString& value);

    // ---- notification ----
    // Nested; while updating, OnChanging fires before the first change and OnChange once, at the
    // outermost EndUpdate, if anything changed.
    void BeginUpdate();
    void EndUpdate();
    int UpdateCount() const { return FUpdateCount; }
    std::function<void(TStrings*)> OnChange;
    std::function<void(TStrings*)> OnChanging;

    // ---- files and streams ----
    // EFOpenError when the file cannot be read.
    void LoadFromFile(const QString& fileName);
    void LoadFromFile(const QString& fileName, TTextEncoding encoding);
    // Written whole to a temporary file that then replaces the old one, so a failed save leaves the
    // old file as it was. EFCreateError when it cannot be written.
    void SaveToFile(const QString& fileName, TTextEncoding encoding = TTextEncoding::Cp1252) const;
    // From the stream's position to its end.
    void LoadFromStream(TStream& stream);
    void LoadFromStream(TStream& stream, TTextEncoding encoding);
    void SaveToStream(TStream& stream, TTextEncoding encoding = TTextEncoding::Cp1252) const;

    // ---- TPersistent ----
    // From any TStrings: lines, objects, Delimiter, QuoteChar and NameValueSeparator.
    void Assign(const TPersistent* source) override;
    void DefineProperties(TFiler& filer) override;

protected:
    void AssignTo(TPersistent* dest) const override;
    // <0, 0, >0 as a sorts before, equals or sorts after b.
    virtual int CompareStrings(const QString& a, const QString& b) const;
    // Descendants call these around every change they make.
    void Changing();
    void Changed();
    // Called with true when the outermost BeginUpdate starts and false when it ends (views pause
    // repainting here).
    virtual void SetUpdateState(bool updating) {}
    [[noreturn]] static void IndexError(int index);

private:
    void ReadData(TReader& reader);
    void WriteData(TWriter& writer) const;
    void LoadFromBytes(const QByteArray& bytes, const TTextEncoding* encoding);
    QByteArray TextBytes(TTextEncoding encoding) const;
    QString JoinDelimited(QChar delimiter, QChar quote) const;
    void SplitDelimited(const QString& text, QChar delimiter, QChar quote);

    QChar FDelimiter = QLatin1Char(',');
    QChar FQuoteChar = QLatin1Char('"');
    QChar FNameValueSeparator = QLatin1Char('=');
    int FUpdateCount = 0;
    bool FChangingSent = false; // OnChanging already fired in this update
    bool FChangedInUpdate = false;
};

// <0, 0, >0; the list and the indexes of the two lines to compare.
using TStringListSortCompare = std::function<int(TStringList* list, int index1, int index2)>;

class TStringList : public TStrings {
    TESSIV_CLASS(TStringList, TStrings)
public:
    TStringList() = default;
    ~TStringList() override = default;

    int Count() const override { return static_cast<int>(FList.size()); }
    QString Strings(int index) const override;
    // EStringListError "Operation not allowed on sorted list" when Sorted.
    void Put(int index, const QString& s) override;
    TPersistent* Objects(int index) const override;
    void PutObject(int index, TPersistent* object) override;
    // Sorted: goes to its place, and Duplicates decides about a line already there (dupIgnore
    // returns the index of that line; dupError raises "List does not allow duplicates").
    int Add(const QString& s) override;
    int AddObject(const QString& s, TPersistent* object) override;
    // EStringListError "Operation not allowed on sorted list" when Sorted.
    void Insert(int index, const QString& s) override;
    void InsertObject(int index, const QString& s, TPersistent* object) override;
    void Delete(int index) override;
    void Clear() override;
    void Exchange(int index1, int index2) override;
    void Move(int curIndex, int newIndex) override;
    // Binary search when Sorted.
    int IndexOf(const QString& s) const override;

    // Binary search of a sorted list: true when found; Index is where the line is (the first of
    // equal lines when Duplicates is dupAccept) or where it would go.
    bool Find(const QString& s, int& index) const;
    // Both do nothing on a list that is Sorted (it is in order already).
    virtual void Sort();
    virtual void CustomSort(const TStringListSortCompare& compare);

    bool Sorted() const { return FSorted; }
    void SetSorted(bool value);
    TDuplicates Duplicates() const { return FDuplicates; }
    void SetDuplicates(TDuplicates value) { FDuplicates = value; }
    // False by default. Changing it re-sorts a sorted list.
    bool CaseSensitive() const { return FCaseSensitive; }
    void SetCaseSensitive(bool value);

protected:
    int CompareStrings(const QString& a, const QString& b) const override;

private:
    struct TStringItem {
        QString String;
        TPersistent* Object = nullptr;
    };

    void CheckIndex(int index) const;
    void CheckNotSorted() const;
    void InsertItem(int index, const QString& s, TPersistent* object);
    void QuickSort(int l, int r, const TStringListSortCompare& compare);

    std::vector<TStringItem> FList;
    TDuplicates FDuplicates = dupIgnore;
    bool FSorted = false;
    bool FCaseSensitive = false;
};

// Lines ended by CR, LF or CR LF; a last line without an ending counts, an empty text has none.
QStringList SplitLines(const QString& text);

// BeginUpdate now, EndUpdate when the scope ends (also when an exception leaves it).
class TUpdateScope {
public:
    explicit TUpdateScope(TStrings& strings) : FStrings(strings), FExceptions(std::uncaught_exceptions())
    {
        FStrings.BeginUpdate();
    }
    ~TUpdateScope() noexcept(false)
    {
        if (std::uncaught_exceptions() == FExceptions) {
            FStrings.EndUpdate();
            return;
        }
        try {
            FStrings.EndUpdate();
        } catch (...) {
        }
    }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TStrings& FStrings;
    int FExceptions;
};

} // namespace tessiv
