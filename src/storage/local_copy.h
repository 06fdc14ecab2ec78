#pragma once
// What a door decision reads, kept in an encrypted file of the data folder while a database
// server is in use, so that the doors keep deciding when the server cannot be reached. The
// file has the system database's tables, so holders, groups, time profiles and passage states
// are read from it as from the server; only those are filled (holders without photos).

#include <QString>
#include <memory>

#include "storage/database.h"

namespace horalog {

inline constexpr const char* kLocalCopyFile = "sysdat-copy.mdb";

class LocalCopy {
public:
    explicit LocalCopy(QString path);
    ~LocalCopy();

    const QString& path() const { return path_; }
    // The file, made on first use.
    Connection& connection();
    // Copies holders, groups, time profiles, holidays and passage states from the server's
    // system tables when they changed since the last copy (always when forced), in one
    // transaction. Answers whether it copied. Throws DbError when either side fails.
    bool refresh(Connection& server, bool force = false);
    // A passage the server admitted: the local state follows, so that a door deciding from
    // the copy knows the holder's last direction.
    void notePassage(int card, int mode);
    void close();

private:
    QString path_;
    std::unique_ptr<Connection> c_;
    QString fingerprint_;
};

}  // namespace horalog
