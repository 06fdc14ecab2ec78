#pragma once
// What a driver implements behind Statement (see database.h). Only drivers include this.

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace horalog {

class StatementImpl {
public:
    virtual ~StatementImpl() = default;
    virtual void bind(int index, const QVariant& v) = 0;
    virtual int parameterIndex(const QString& name) const = 0;
    virtual bool next() = 0;
    virtual void reset() = 0;
    virtual int columnCount() const = 0;
    virtual QString columnName(int i) const = 0;
    virtual QVariant value(int i) const = 0;
    virtual bool isNull(int i) const = 0;
    virtual qint64 int64(int i) const = 0;
    virtual double real(int i) const = 0;
    virtual QString text(int i) const = 0;
    virtual QByteArray blob(int i) const = 0;
};

}  // namespace horalog
