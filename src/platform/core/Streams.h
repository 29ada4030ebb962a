#pragma once
// Byte streams: the class library's TStream family, over memory and files.

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>

class QFile;

namespace tessiv {

enum TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
public:
    virtual ~TStream() = default;
    // Read and Write move as many bytes as they can and return that count.
    virtual std::int64_t Read(void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Write(const void* buffer, std::int64_t count) = 0;
    virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
    virtual std::int64_t Size() const;
    virtual void SetSize(std::int64_t size) = 0;

    std::int64_t Position() const;
    void SetPosition(std::int64_t pos) { Seek(pos, soBeginning); }
    std::int64_t Remaining() const { return Size() - Position(); }

    // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
    void ReadBuffer(void* buffer, std::int64_t count);
    void WriteBuffer(const void* buffer, std::int64_t count);
    QByteArray ReadBytes(std::int64_t count);
    void WriteBytes(const QByteArray& bytes) { WriteBuffer(bytes.constData(), bytes.size()); }
    // Copies count bytes from source (all of it from its start when count is 0); returns the count.
    std::int64_t CopyFrom(TStream& source, std::int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(QByteArray bytes) : FData(std::move(bytes)) {}
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() const override { return FData.size(); }
    void SetSize(std::int64_t size) override;
    void Clear();

    const QByteArray& Bytes() const { return FData; }
    QByteArray& Bytes() { return FData; }
    void LoadFromFile(const QString& fileName);
    void SaveToFile(const QString& fileName) const;
    void LoadFromStream(TStream& stream);
    void SaveToStream(TStream& stream) const;

private:
    QByteArray FData;
    std::int64_t FPosition = 0;
};

enum TFileMode : unsigned {
    fmOpenRead = 0x0000,
    fmOpenWrite = 0x0001,
    fmOpenReadWrite = 0x0002,
    fmCreate = 0xFF00,
};

class TFileStream : public TStream {
public:
    // EFOpenError "Cannot open file \"%s\". %s" / EFCreateError "Cannot create file \"%s\". %s".
    TFileStream(const QString& fileName, unsigned mode);
    ~TFileStream() override;
    std::int64_t Read(void* buffer, std::int64_t count) override;
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
    std::int64_t Size() const override;
    void SetSize(std::int64_t size) override;
    const QString& FileName() const { return FFileName; }

private:
    QString FFileName;
    std::unique_ptr<QFile> FFile;
};

} // namespace tessiv
