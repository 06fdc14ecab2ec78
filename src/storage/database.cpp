// The engine-neutral half of Statement: every call goes to the driver's StatementImpl.
#include "storage/database.h"

#include "storage/statement_impl.h"

namespace horalog {

Statement::Statement(std::unique_ptr<StatementImpl> impl) : impl_(std::move(impl)) {}
Statement::Statement(Statement&&) noexcept = default;
Statement& Statement::operator=(Statement&&) noexcept = default;
Statement::~Statement() = default;

Statement& Statement::bind(int index, const QVariant& value) {
    impl_->bind(index, value);
    return *this;
}
Statement& Statement::bind(const QString& name, const QVariant& value) {
    impl_->bind(impl_->parameterIndex(name), value);
    return *this;
}
bool Statement::next() {
    return impl_->next();
}
void Statement::exec() {
    while (impl_->next()) {
    }
}
void Statement::reset() {
    impl_->reset();
}
int Statement::columnCount() const {
    return impl_->columnCount();
}
QString Statement::columnName(int index) const {
    return impl_->columnName(index);
}
int Statement::columnIndex(const QString& name) const {
    for (int i = 0, n = impl_->columnCount(); i < n; ++i)
        if (impl_->columnName(i).compare(name, Qt::CaseInsensitive) == 0) return i;
    throw DbError("no column " + name);
}
QVariant Statement::value(int index) const {
    return impl_->value(index);
}
bool Statement::isNull(const QString& name) const {
    return impl_->isNull(columnIndex(name));
}
qint64 Statement::int64(const QString& name) const {
    return impl_->int64(columnIndex(name));
}
QString Statement::text(const QString& name) const {
    return impl_->text(columnIndex(name));
}
DateTime Statement::dateTime(const QString& name) const {
    return DateTime(impl_->real(columnIndex(name)));
}
QByteArray Statement::blob(const QString& name) const {
    return impl_->blob(columnIndex(name));
}

}  // namespace horalog
