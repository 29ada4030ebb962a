#pragma once
// The database layer's exceptions: EDatabaseError for misuse of a dataset or field, EDBEngineError
// for what a driver or a database refused, with the engine's list of error codes.

#include "platform/core/Exceptions.h"

#include <vector>

namespace tessiv {

// Engine error codes. 13059 is the one callers act on: the login was refused, ask for another.
enum : int {
    DBIERR_NONE = 0,
    DBIERR_NOSUCHTABLE = 10024,     // table or file not found
    DBIERR_NOTSUFFTABLERIGHTS = 10498,
    DBIERR_OPENFAILED = 13057,      // the database could not be reached or opened
    DBIERR_INVALIDPASSWORD = 13059, // login refused: wrong or missing user name or password
    DBIERR_SQLERROR = 13062,        // the server refused a statement
    DBIERR_UNKNOWNDB = 11010,       // no alias, folder or database of that name
    DBIERR_CONNECTIONLOST = 13063,
};

struct TDBError {
    int ErrorCode = 0;
    QString Message;
    QString NativeError; // the driver's own code (SQLSTATE and the like), may be empty
    int Category() const { return (ErrorCode >> 8) & 0xFF; }
    int SubCode() const { return ErrorCode & 0xFF; }
};

class EDatabaseError : public Exception {
public:
    using Exception::Exception;
};

class EDBEngineError : public EDatabaseError {
public:
    EDBEngineError(int code, const QString& message, const QString& native = QString())
        : EDatabaseError(message)
    {
        FErrors.push_back({code, message, native});
    }
    int ErrorCount() const { return static_cast<int>(FErrors.size()); }
    const TDBError& Errors(int index) const { return FErrors.at(static_cast<std::size_t>(index)); }
    void AddError(const TDBError& e) { FErrors.push_back(e); }
    bool HasErrorCode(int code) const
    {
        for (const TDBError& e : FErrors)
            if (e.ErrorCode == code)
                return true;
        return false;
    }

private:
    std::vector<TDBError> FErrors;
};

} // namespace tessiv
