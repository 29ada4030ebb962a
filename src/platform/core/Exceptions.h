#pragma once
// The exception classes of the class library our code is written against. Messages are QStrings;
// what() gives them as UTF-8 for logs and test output.

#include <QByteArray>
#include <QString>
#include <exception>

namespace tessiv {

class Exception : public std::exception {
public:
    explicit Exception(QString message) : FMessage(std::move(message)), FUtf8(FMessage.toUtf8()) {}
    const QString& Message() const noexcept { return FMessage; }
    void SetMessage(const QString& message)
    {
        FMessage = message;
        FUtf8 = message.toUtf8();
    }
    const char* what() const noexcept override { return FUtf8.constData(); }

private:
    QString FMessage;
    QByteArray FUtf8;
};

#define TESSIV_EXCEPTION(Name, Base)            \
    class Name : public Base {                  \
    public:                                     \
        using Base::Base;                       \
    }

// The silent exception: ends an operation without a message.
class EAbort : public Exception {
public:
    EAbort() : Exception(QStringLiteral("Operation aborted")) {}
    using Exception::Exception;
};

TESSIV_EXCEPTION(EConvertError, Exception);
TESSIV_EXCEPTION(EInvalidOperation, Exception);
TESSIV_EXCEPTION(EMathError, Exception);
TESSIV_EXCEPTION(EOverflow, EMathError);
TESSIV_EXCEPTION(EZeroDivide, EMathError);
TESSIV_EXCEPTION(EListError, Exception);
TESSIV_EXCEPTION(EStringListError, Exception);
TESSIV_EXCEPTION(EComponentError, Exception);
TESSIV_EXCEPTION(EParserError, Exception);
TESSIV_EXCEPTION(EInOutError, Exception);

TESSIV_EXCEPTION(EStreamError, Exception);
TESSIV_EXCEPTION(EFCreateError, EStreamError);
TESSIV_EXCEPTION(EFOpenError, EStreamError);
TESSIV_EXCEPTION(EFilerError, EStreamError);
TESSIV_EXCEPTION(EReadError, EFilerError);
TESSIV_EXCEPTION(EWriteError, EFilerError);
TESSIV_EXCEPTION(EClassNotFound, EFilerError);
TESSIV_EXCEPTION(EMethodNotFound, EFilerError);
TESSIV_EXCEPTION(EInvalidImage, EFilerError);

#undef TESSIV_EXCEPTION

} // namespace tessiv
